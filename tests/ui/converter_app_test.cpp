// Start-up: the command line's words and their boxes, before the main window.
#include "ui/converter_app.h"

#include "tests/ui/main_window_fixture.h"
#include "ui/command_line.h"

namespace quelvane::testing {
namespace {

TEST(CommandLineTest, ArgumentsAreJoinedAndSplitAtSpacesOnly) {
  struct Case {
    std::vector<const char*> argv;
    std::vector<std::string> words;
  };
  const std::vector<Case> cases = {
      {{"quelvane"}, {}},
      {{"quelvane", "a", "b"}, {"a", "b"}},
      {{"quelvane", "un mot", "deux"}, {"un", "mot", "deux"}},  // quoted spaces split too
      {{"quelvane", "a  ", "  b"}, {"a", "b"}},
      {{"quelvane", "a\tb"}, {"a\tb"}},
      {{"quelvane", "", "\t-x"}, {"-x"}},  // what leads the line is dropped
      {{"quelvane", "x\t"}, {"x\t"}},
  };
  for (const Case& c : cases) {
    const std::string line =
        CommandLineFromArguments(static_cast<int>(c.argv.size()), c.argv.data());
    EXPECT_EQ(SplitCommandLineWords(line), c.words) << line;
  }
}

class StartUpTest : public MainWindowTest {};

TEST_F(StartUpTest, EachWordThatIsNoOptionGivesOneBoxBeforeTheMainWindow) {
  struct Case {
    std::string commandLine;
    std::size_t boxes;
  };
  const std::vector<Case> cases = {
      {"", 0}, {"a b", 2}, {"-x /y", 0}, {"-x b", 1}, {"a     b", 2}, {"a-b x/", 2}, {"a\tb", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    BoxRecorder boxes;
    bool windowShownAtABox = false;
    boxes.OnBox([&](const MessageBoxRequest&) {
      windowShownAtABox = windowShownAtABox || ModalWindowShown();
    });
    bool mainWindowRan = false;
    WhenModal([&](ScreenWindow window) {
      mainWindowRan = WindowTitle(window).starts_with("QUELVANE v" QUELVANE_VERSION);
      PressKey(window, Key::kEscape);
    });
    EXPECT_EQ(CConverterApp().InitInstance(c.commandLine), 0);
    EXPECT_TRUE(mainWindowRan);
    EXPECT_FALSE(windowShownAtABox);
    ASSERT_EQ(boxes.Boxes().size(), c.boxes);
    for (const MessageBoxRequest& box : boxes.Boxes()) {
      EXPECT_EQ(box.text, "Paramètre inconnu.");
      EXPECT_EQ(box.caption, "Attention");
      EXPECT_EQ(box.type, BoxType::kOk);
      EXPECT_EQ(box.owner, nullptr);
    }
  }
}

TEST_F(StartUpTest, RealBoxesClosedBeforeTheMainWindowDoNotEndTheProgram) {
  std::string boxText;
  bool mainWindowRan = false;
  WhenModal([&](ScreenWindow box) {
    boxText = MessageBoxText(box);
    PressKey(box, Key::kReturn);
    WhenModal([&](ScreenWindow window) {
      mainWindowRan = WindowTitle(window).starts_with("QUELVANE v" QUELVANE_VERSION);
      PressKey(window, Key::kEscape);
    });
  });
  CConverterApp().InitInstance("mot");
  EXPECT_EQ(boxText, "Paramètre inconnu.");
  EXPECT_TRUE(mainWindowRan);
}

TEST_F(StartUpTest, EndingTheMainWindowWritesTheSettings) {
  WhenModal([](ScreenWindow window) { PressKey(window, Key::kReturn); });  // "&Quitter"
  CConverterApp().InitInstance("");
  EXPECT_NE(ProfileText().find("[Separateur Destination]\ntabulation=1\n"), std::string::npos);
}

}  // namespace
}  // namespace quelvane::testing
