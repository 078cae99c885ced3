// Message boxes: the four types the program shows, in French, with their icons;
// the presenter that tests put in place of the real boxes.
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <vector>

#include "res/box_texts.h"
#include "run/run_texts.h"
#include "tests/platform/gui_test_support.h"

namespace quelvane {
namespace {

using namespace testing;

struct BoxCase {
  BoxType type;
  BoxIcon icon;
  std::vector<BoxAnswer> buttons;
  BoxAnswer press;
};

TEST(MessageBoxTest, RealBoxesShowTheirIconAndButtonsAndReturnTheAnswer) {
  const std::vector<BoxCase> cases = {
      {BoxType::kOk, BoxIcon::kNone, {BoxAnswer::kOk}, BoxAnswer::kOk},
      {BoxType::kStop, BoxIcon::kStop, {BoxAnswer::kOk}, BoxAnswer::kOk},
      {BoxType::kQuestion, BoxIcon::kQuestion, {BoxAnswer::kYes, BoxAnswer::kNo}, BoxAnswer::kYes},
      {BoxType::kQuestion, BoxIcon::kQuestion, {BoxAnswer::kYes, BoxAnswer::kNo}, BoxAnswer::kNo},
      {BoxType::kInformation, BoxIcon::kInformation, {BoxAnswer::kOk}, BoxAnswer::kOk},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    std::vector<BoxAnswer> shownButtons;
    std::string title;
    std::string text;
    BoxIcon icon = BoxIcon::kWarning;
    WhenModal([&](ScreenWindow box) {
      title = WindowTitle(box);
      text = MessageBoxText(box);
      icon = MessageBoxIcon(box);
      shownButtons = MessageBoxButtons(box);
      PressMessageBoxButton(box, c.press);
    });
    const BoxAnswer answer =
        ShowMessageBox(nullptr, "Le fichier '<b>x</b>'\nligne 2", "Allo ?", c.type);
    EXPECT_EQ(answer, c.press);
    EXPECT_EQ(title, "Allo ?");
    EXPECT_EQ(text, "Le fichier '<b>x</b>'\nligne 2");
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(shownButtons, c.buttons);
  }
}

TEST(MessageBoxTest, BoxesShowTheirCaptionAndEveryLineWhole) {
  struct Case {
    BoxMessage message;
    const char* screenshot;
  };
  const Case cases[] = {
      {{"Paramètre inconnu.", "Attention", BoxType::kOk}, "box_unknown_parameter.png"},
      {res::kComputedIsinBox, "box_computed_isin.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenshot);
    BoxLayout layout;
    WhenModal([&](ScreenWindow box) {
      layout = MessageBoxLayout(box);
      EXPECT_TRUE(SaveScreenshot(box, c.screenshot));
      PressKey(box, Key::kReturn);
    });
    ShowMessageBox(nullptr, c.message.text, c.message.caption, c.message.type);
    EXPECT_GT(layout.longestLine, 0);
    EXPECT_LE(layout.wrappedHeight, layout.textHeight) << "no line is cut off";
    EXPECT_GE(layout.captionRoom, layout.captionWidth);
  }
}

TEST(MessageBoxTest, EscapeOnAQuestionAnswersNo) {
  WhenModal([](ScreenWindow box) { PressKey(box, Key::kEscape); });
  EXPECT_EQ(ShowMessageBox(nullptr, "Voulez-vous continuer ?", "Allo ?", BoxType::kQuestion),
            BoxAnswer::kNo);
}

TEST(MessageBoxTest, APresenterReceivesEveryBoxAndAnswersForIt) {
  BoxRecorder recorder;
  recorder.Answer(BoxAnswer::kNo);
  EXPECT_EQ(ShowMessageBox(nullptr, "Question", "Allo ?", BoxType::kQuestion), BoxAnswer::kNo);
  EXPECT_EQ(ShowMessageBox(nullptr, "Info", "Attention", BoxType::kInformation), BoxAnswer::kOk);
  ASSERT_EQ(recorder.Boxes().size(), 2u);
  EXPECT_EQ(recorder.Boxes()[0].caption, "Allo ?");
  EXPECT_EQ(recorder.Boxes()[0].type, BoxType::kQuestion);
  EXPECT_EQ(recorder.Boxes()[1].text, "Info");
  EXPECT_EQ(recorder.Boxes()[1].owner, nullptr);
}

}  // namespace
}  // namespace quelvane
