// The program's four templates built into real windows: every control where the
// template puts it, readable (no text clipped at the desktop's default font),
// none hidden under a frame.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "res/resources.h"
#include "tests/platform/gui_test_support.h"

namespace quelvane {
namespace {

using namespace testing;

class TemplatesTest : public ::testing::TestWithParam<int> {};

TEST_P(TemplatesTest, NoTextIsClippedAndNoControlLiesUnderAFrame) {
  const DialogTemplate& dialogTemplate = res::GetDialogTemplate(GetParam());
  ASSERT_FALSE(dialogTemplate.controls.empty());
  Dialog dialog(dialogTemplate);
  dialog.Create();
  ShowAndWaitDrawn(dialog);

  EXPECT_EQ(ItemCount(dialog), dialogTemplate.controls.size());
  EXPECT_EQ(TextsNotShownWhole(dialog), std::vector<std::string>{});
  for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
    const DialogControl& control = dialogTemplate.controls[i];
    SCOPED_TRACE(std::string(control.text));
    const PixelRect rect = ItemRectAt(dialog, i);
    EXPECT_GT(rect.width, 0);
    EXPECT_GT(rect.height, 0);
    // A click in the middle of the control reaches it, not a frame drawn over it.
    if (control.kind != ControlKind::kGroupBox) {
      EXPECT_EQ(ItemHitAtCentreOf(dialog, i), std::optional<std::size_t>(i));
    }
  }
  dialog.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(ProgramTemplates, TemplatesTest,
                         ::testing::Values(res::kIddMainWindow, res::kIddAbout, res::kIddHelp,
                                           res::kIddQuickConvert));

}  // namespace
}  // namespace quelvane
