// What only the Qt implementation has to see to: Qt's own texts are translated
// into French by the program (Windows' own boxes speak the system's language),
// a QMessageBox would take markup in a message for rich text, and the program
// sizes its boxes itself (Windows' own box breaks a line wider than it allows).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

#include "platform/message_box.h"
#include "res/box_texts.h"
#include "run/run_texts.h"
#include "tests/platform/gui_test_support.h"
#include "tests/platform/qt_test_support.h"

namespace quelvane {
namespace {

TEST(QtMessageBoxTest, ButtonsSpeakFrenchAndTheMessageIsPlainText) {
  const std::vector<std::pair<BoxType, QStringList>> cases = {
      {BoxType::kOk, {"OK"}},
      {BoxType::kQuestion, {"Non", "Oui"}},
  };
  for (const auto& [type, expected] : cases) {
    QStringList shown;
    Qt::TextFormat format = Qt::AutoText;
    testing::WhenModalWidget([&](QWidget* window) {
      auto* box = qobject_cast<QMessageBox*>(window);
      ASSERT_NE(box, nullptr);
      format = box->textFormat();
      for (QAbstractButton* button : box->buttons()) shown << button->text();
      testing::PressWidgetKey(window, Qt::Key_Escape);
    });
    ShowMessageBox(nullptr, "Le fichier '<b>x</b>'", "Allo ?", type);
    shown.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(format, Qt::PlainText) << "a file name is never taken for markup";
  }
}

TEST(QtMessageBoxTest, ABoxIsWideEnoughForItsLongestLine) {
  testing::BoxLayout layout;
  testing::WhenModal([&](testing::ScreenWindow box) {
    layout = testing::MessageBoxLayout(box);
    testing::PressKey(box, testing::Key::kReturn);
  });
  const BoxMessage& computed = res::kComputedIsinBox;
  ShowMessageBox(nullptr, computed.text, computed.caption, computed.type);
  EXPECT_GE(layout.textWidth, layout.longestLine);
  EXPECT_EQ(layout.wrappedHeight, layout.writtenHeight) << "no line is broken in two";
}

TEST(TranslationsTest, QtSpeaksFrench) {
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
}

}  // namespace
}  // namespace quelvane
