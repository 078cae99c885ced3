// The main window's start and close under each failure of the operating-system
// layer in turn: settings or a table.txt that could not be read are said, the
// window runs with the defaults or the built-in table, and never writes over
// settings it could not read; settings that could not be saved are said too.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "res/resource_ids.h"
#include "tests/platform/gui_test_support.h"
#include "tests/support/fault_plan.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

constexpr std::string_view kProfile =
    "[General]\nExtensionDestination=.new.txt\n[Separateur Source]\ntabulation=0\n"
    "separateurs=;\n";

class WindowFaultsTest : public MainWindowTest {
 protected:
  void Lay() {
    Folder().Write("quelvane.ini", std::string(kProfile));
    Folder().Write("table.txt", "777\tQS0000007777\n");
  }
  static bool Said(const BoxRecorder& boxes, std::string_view words) {
    for (const std::string& text : boxes.Texts()) {
      if (text.find(words) != std::string::npos) return true;
    }
    return false;
  }
};

TEST_F(WindowFaultsTest, AStartThatCannotReadSaysSoAndNeverWritesOverTheSettings) {
  std::size_t calls = 0;
  {
    Lay();
    const FaultPlan counting;
    Open();
    calls = counting.Calls().size();
  }
  Close();
  ASSERT_GT(calls, 2u);
  std::printf("window start: %zu calls failed in turn\n", calls);
  for (std::size_t failing = 0; failing < calls; ++failing) {
    SCOPED_TRACE("call " + std::to_string(failing));
    Lay();
    BoxRecorder boxes;
    {
      const FaultPlan plan(failing);
      Open();
      ASSERT_TRUE(plan.Failed());
    }
    const bool profileSaid = Said(boxes, "Impossible de lire vos réglages");
    const bool tableSaid = Said(boxes, "Impossible de lire la table de codes");
    EXPECT_EQ(boxes.Boxes().size(), (profileSaid ? 1u : 0u) + (tableSaid ? 1u : 0u));
    // Settings not said unreadable are the user's; a table not said unreadable is loaded.
    EXPECT_EQ(Checked(res::kIdcExtensionNewTxt), profileSaid ? 0 : 1);
    EXPECT_EQ(Window().Tables().UserPairCount(), tableSaid ? 0u : 1u);
    Close();
    if (profileSaid) {
      EXPECT_EQ(ProfileText(), kProfile) << "written over";
    }
  }
}

TEST_F(WindowFaultsTest, AFailedSaveIsSaidAndLeavesTheSettingsWhole) {
  Lay();
  Open();
  Click(res::kIdcSicovamToIsin);
  Click(res::kIdcIsinToSicovam);  // a change to save
  std::size_t calls = 0;
  {
    const FaultPlan counting;
    Close();
    calls = counting.Calls().size();
  }
  const std::string saved = ProfileText();
  ASSERT_NE(saved, kProfile);
  ASSERT_GT(calls, 3u);
  std::printf("window close: %zu calls failed in turn\n", calls);
  for (std::size_t failing = 0; failing < calls; ++failing) {
    SCOPED_TRACE("call " + std::to_string(failing));
    Lay();
    Open();
    Click(res::kIdcIsinToSicovam);
    BoxRecorder boxes;
    {
      const FaultPlan plan(failing);
      Close();
      ASSERT_TRUE(plan.Failed());
    }
    const std::string now = ProfileText();
    if (now == saved) {
      EXPECT_TRUE(boxes.Boxes().empty());
      continue;
    }
    EXPECT_EQ(now, kProfile) << "half saved";
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(Said(boxes, "Impossible d'enregistrer vos réglages"));
    // Nothing of the rewrite stays beside the profile but its lock.
    for (const auto& entry : std::filesystem::directory_iterator(Folder().Path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "quelvane.ini" || name == "quelvane.ini.lock" || name == "table.txt")
          << name;
    }
  }
}

}  // namespace
}  // namespace quelvane::testing
