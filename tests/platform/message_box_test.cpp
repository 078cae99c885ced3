// Message boxes: the four types the program shows, in French, with their icons;
// the presenter that tests put in place of the real boxes.
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <algorithm>

#include "run/run_texts.h"
#include "tests/platform/gui_test_support.h"
#include "tests/platform/qt_test_support.h"

namespace quelvane {
namespace {

struct BoxCase {
  BoxType type;
  QMessageBox::Icon icon;
  QStringList buttons;
  const char* press;
  BoxAnswer answer;
};

TEST(MessageBoxTest, RealBoxesShowTheirIconAndFrenchButtonsAndReturnTheAnswer) {
  const std::vector<BoxCase> cases = {
      {BoxType::kOk, QMessageBox::NoIcon, {"OK"}, "OK", BoxAnswer::kOk},
      {BoxType::kStop, QMessageBox::Critical, {"OK"}, "OK", BoxAnswer::kOk},
      {BoxType::kQuestion, QMessageBox::Question, {"Oui", "Non"}, "Oui", BoxAnswer::kYes},
      {BoxType::kQuestion, QMessageBox::Question, {"Oui", "Non"}, "Non", BoxAnswer::kNo},
      {BoxType::kInformation, QMessageBox::Information, {"OK"}, "OK", BoxAnswer::kOk},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    QStringList shownButtons;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    testing::WhenModalWidget([&](QWidget* window) {
      auto* box = qobject_cast<QMessageBox*>(window);
      ASSERT_NE(box, nullptr);
      title = box->windowTitle();
      text = box->text();
      format = box->textFormat();
      icon = box->icon();
      for (QAbstractButton* button : box->buttons()) shownButtons << button->text();
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() == c.press) button->click();
      }
    });
    const BoxAnswer answer =
        ShowMessageBox(nullptr, "Le fichier '<b>x</b>'\nligne 2", "Allo ?", c.type);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(title, "Allo ?");
    EXPECT_EQ(text, "Le fichier '<b>x</b>'\nligne 2");
    EXPECT_EQ(format, Qt::PlainText) << "a file name is never taken for markup";
    EXPECT_EQ(icon, c.icon);
    shownButtons.sort();
    QStringList expected = c.buttons;
    expected.sort();
    EXPECT_EQ(shownButtons, expected);
  }
}

TEST(MessageBoxTest, BoxesAreWideEnoughForTheirCaptionAndKeepEveryLineWhole) {
  struct Case {
    BoxMessage message;
    const char* screenshot;
  };
  const Case cases[] = {
      {{"Paramètre inconnu.", "Attention", BoxType::kOk}, "box_unknown_parameter.png"},
      {run_texts::kComputedIsinBox, "box_computed_isin.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenshot);
    int labelWidth = 0, longestLine = 0, boxWidth = 0, captionWidth = 0;
    int wrappedHeight = 0, writtenHeight = 0;
    testing::WhenModalWidget([&](QWidget* window) {
      const auto* label = window->findChild<QLabel*>("qt_msgbox_label");
      ASSERT_NE(label, nullptr);
      const QFontMetrics metrics(label->font());
      for (const QString& line : label->text().split('\n')) {
        longestLine = std::max(longestLine, metrics.horizontalAdvance(line));
      }
      labelWidth = label->contentsRect().width();
      wrappedHeight =
          metrics.boundingRect(QRect(0, 0, labelWidth, 1000), Qt::TextWordWrap, label->text())
              .height();
      writtenHeight = metrics.boundingRect(QRect(0, 0, 10000, 1000), 0, label->text()).height();
      QFont titleFont = window->font();
      titleFont.setBold(true);
      captionWidth = QFontMetrics(titleFont).horizontalAdvance(window->windowTitle());
      boxWidth = window->width();
      EXPECT_TRUE(window->grab().save(QString(QUELVANE_BUILD_DIR "/") + c.screenshot));
      testing::PressWidgetKey(window, Qt::Key_Return);
    });
    ShowMessageBox(nullptr, c.message.text, c.message.caption, c.message.type);
    EXPECT_GE(labelWidth, longestLine);
    EXPECT_EQ(wrappedHeight, writtenHeight) << "no line is broken in two";
    // Beside the caption, a title bar holds the window's icon, up to three
    // buttons and the frame.
    EXPECT_GE(boxWidth, captionWidth + 5 * 24);
  }
}

TEST(MessageBoxTest, EscapeOnAQuestionAnswersNo) {
  testing::WhenModalWidget(
      [](QWidget* window) { testing::PressWidgetKey(window, Qt::Key_Escape); });
  EXPECT_EQ(ShowMessageBox(nullptr, "Voulez-vous continuer ?", "Allo ?", BoxType::kQuestion),
            BoxAnswer::kNo);
}

TEST(MessageBoxTest, APresenterReceivesEveryBoxAndAnswersForIt) {
  testing::BoxRecorder recorder;
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
