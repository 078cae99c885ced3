// The program's four templates built into real windows: every control where the
// template puts it, readable (no text clipped at the desktop's default font),
// none hidden under a frame; and Qt's own texts in French.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QStyle>

#include "platform/dialog.h"
#include "platform/qt_access.h"
#include "res/resources.h"

namespace quelvane {
namespace {

class TemplatesTest : public ::testing::TestWithParam<int> {};

TEST_P(TemplatesTest, NoTextIsClippedAndNoControlLiesUnderAFrame) {
  const DialogTemplate& dialogTemplate = res::GetDialogTemplate(GetParam());
  ASSERT_FALSE(dialogTemplate.controls.empty());
  Dialog dialog(dialogTemplate);
  dialog.Create();
  QDialog* window = DialogWindow(dialog);
  window->show();
  const QFontMetrics metrics(window->font());

  EXPECT_EQ(
      static_cast<std::size_t>(window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size()),
      dialogTemplate.controls.size());
  for (std::size_t i = 0; i < dialogTemplate.controls.size(); ++i) {
    const DialogControl& control = dialogTemplate.controls[i];
    const QWidget* widget = DlgItemWidgetAt(dialog, i);
    ASSERT_NE(widget, nullptr);
    const QString text = ToQString(control.text);
    SCOPED_TRACE(text.toStdString());
    switch (control.kind) {
      case ControlKind::kPushButton: {
        const int margins = 2 * window->style()->pixelMetric(QStyle::PM_ButtonMargin);
        EXPECT_LE(metrics.horizontalAdvance(QString(text).remove('&')) + margins, widget->width());
        EXPECT_LE(metrics.height(), widget->height());
        break;
      }
      case ControlKind::kAutoCheckBox:
      case ControlKind::kAutoRadioButton:
        EXPECT_LE(widget->sizeHint().width(), widget->width());
        EXPECT_LE(metrics.height(), widget->height());
        break;
      case ControlKind::kStatic:
        EXPECT_LE(metrics.horizontalAdvance(text), widget->width());
        EXPECT_LE(metrics.height(), widget->height());
        break;
      case ControlKind::kGroupBox:
        EXPECT_LE(metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth(),
                  widget->width());
        break;
      case ControlKind::kEdit:
      case ControlKind::kListBox:
        break;
    }
    // A click in the middle of the control reaches it, not a frame drawn over it.
    if (control.kind != ControlKind::kGroupBox) {
      const QWidget* hit = window->childAt(widget->geometry().center());
      while (hit != nullptr && hit->parentWidget() != window) hit = hit->parentWidget();
      EXPECT_EQ(hit, widget);
    }
  }
  dialog.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(ProgramTemplates, TemplatesTest,
                         ::testing::Values(res::kIddMainWindow, res::kIddAbout, res::kIddHelp,
                                           res::kIddQuickConvert));

TEST(TranslationsTest, QtSpeaksFrench) {
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
}

}  // namespace
}  // namespace quelvane
