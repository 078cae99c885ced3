// The dialog class: layout from dialog units, notifications, radio groups, the
// keyboard's default and cancel paths, and the list box operations.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_probes.h"
#include "tests/platform/gui_test_support.h"

namespace quelvane {
namespace {

using enum ControlKind;
using namespace testing;

constexpr int kRadioOne = 10, kRadioTwo = 11, kRadioThree = 12, kRadioFour = 13;
constexpr int kLine = 20, kCheck = 21, kText = 22, kList = 30, kLabel = 40;

constexpr DialogControl kControls[] = {
    {kIdOk, kPushButton, "&Valider", 150, 7, 50, 14, kDefault | kTabStop},
    {kIdCancel, kPushButton, "Annuler", 150, 24, 50, 14, kTabStop},
    {kRadioOne, kAutoRadioButton, "Un", 7, 7, 40, 10, kGroup},
    {kRadioTwo, kAutoRadioButton, "Deux", 7, 19, 40, 10, kGroup},
    {kRadioThree, kAutoRadioButton, "Trois", 7, 31, 40, 10, kGroup},
    {kRadioFour, kAutoRadioButton, "Quatre", 7, 43, 40, 10, 0},
    {kLine, kEdit, "", 60, 7, 60, 12, kBorder | kAutoHScroll | kTabStop | kGroup},
    {kCheck, kAutoCheckBox, "Case", 60, 22, 60, 10, kTabStop},
    {kText, kEdit, "", 60, 35, 80, 30, kMultiLine | kBorder | kVScroll | kTabStop},
    {kList, kListBox, "", 7, 70, 140, 40, kVScroll | kBorder | kTabStop},
    {kLabel, kStatic, "A && B", 7, 115, 100, 8, 0},
    {kIdStatic, kGroupBox, "Cadre", 2, 2, 52, 60, 0},
};
constexpr DialogTemplate kTemplate{1, "Essai", 210, 130, 8, kControls};

struct Event {
  Notification event;
  int id;
  std::string text;  // the control's text when the handler ran
  bool operator==(const Event&) const = default;
};

class TestDialog : public Dialog {
 public:
  TestDialog() : Dialog(kTemplate) { BindMessageMap(kMap); }

  bool OnInitDialog() override {
    Dialog::OnInitDialog();
    if (endAtInit) EndDialog(42);
    return true;
  }
  bool DestroyWindow() override {
    destroyed = true;
    return Dialog::DestroyWindow();
  }

  void OnLineChange() { events.push_back({Notification::kChange, kLine, GetDlgItemText(kLine)}); }
  void OnTextChange() { events.push_back({Notification::kChange, kText, GetDlgItemText(kText)}); }
  void OnRadioOne() { Clicked(kRadioOne); }
  void OnRadioTwo() { Clicked(kRadioTwo); }
  void OnRadioThree() { Clicked(kRadioThree); }
  void OnCheck() { Clicked(kCheck); }

  std::vector<Event> events;
  bool endAtInit = false;
  bool destroyed = false;

 private:
  void Clicked(int id) {
    events.push_back({Notification::kClicked, id, std::to_string(IsDlgButtonChecked(id))});
  }

  static constexpr MessageMapEntry<TestDialog> kMap[] = {
      {Notification::kChange, kLine, &TestDialog::OnLineChange},
      {Notification::kChange, kText, &TestDialog::OnTextChange},
      {Notification::kClicked, kRadioOne, &TestDialog::OnRadioOne},
      {Notification::kClicked, kRadioTwo, &TestDialog::OnRadioTwo},
      {Notification::kClicked, kRadioThree, &TestDialog::OnRadioThree},
      {Notification::kClicked, kCheck, &TestDialog::OnCheck},
  };
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { dialog.Create(); }
  void TearDown() override { dialog.DestroyWindow(); }
  TestDialog dialog;
};

TEST_F(DialogTest, PlacesControlsWithTheBaseUnitsOfItsFont) {
  const FontUnits font = DialogFontUnits(dialog);
  EXPECT_EQ(font.points, 8);
  const auto px = [](int units, int base, int per) { return (units * base + per / 2) / per; };

  const PixelRect client = ClientRect(dialog);
  EXPECT_EQ(client.width, px(210, font.baseX, 4));
  EXPECT_EQ(client.height, px(130, font.baseY, 8));
  // Edges convert one by one, so neighbouring controls stay flush.
  const PixelRect list = ItemRect(dialog, kList);
  EXPECT_EQ(list.x, px(7, font.baseX, 4));
  EXPECT_EQ(list.y, px(70, font.baseY, 8));
  EXPECT_EQ(list.Right(), px(147, font.baseX, 4));
  EXPECT_EQ(list.Bottom(), px(110, font.baseY, 8));
  EXPECT_EQ(dialog.GetWindowText(), "Essai");
}

TEST(DialogLayoutTest, ATextWiderThanItsControlWidensTheWholeWindowUntilItFits) {
  static constexpr DialogControl kNarrow[] = {
      {kIdOk, kPushButton, "OK", 10, 30, 50, 14, kDefault | kTabStop},
      {kIdStatic, kStatic, "Un texte bien trop long pour sa place", 10, 10, 40, 8, 0},
  };
  static constexpr DialogTemplate kNarrowTemplate{2, "Essai", 100, 50, 8, kNarrow};
  Dialog narrow(kNarrowTemplate);
  narrow.Create();
  Dialog plain(kTemplate);
  plain.Create();
  EXPECT_EQ(TextsNotShownWhole(narrow), std::vector<std::string>{});
  EXPECT_EQ(ItemRectAt(narrow, 1).height, DialogFontUnits(narrow).baseY)
      << "heights keep their unit";
  // Positions scale with the same unit as widths.
  const double unit = ClientRect(narrow).width / 100.0;
  EXPECT_NEAR(ItemRect(narrow, kIdOk).x, 10 * unit, 1.0);
  EXPECT_NEAR(ItemRect(narrow, kIdOk).width, 50 * unit, 1.0);
  EXPECT_GT(ClientRect(narrow).width, ClientRect(plain).width * 100 / 210);
  narrow.DestroyWindow();
  plain.DestroyWindow();
}

TEST_F(DialogTest, SettingAnEditRaisesExactlyOneChangeBeforeReturning) {
  dialog.SetDlgItemText(kLine, "abc");
  dialog.SetDlgItemText(kLine, "abc");  // the same text notifies again
  dialog.SetDlgItemInt(kLine, -2);
  dialog.SetDlgItemText(kText, "un\r\ndeux");
  EXPECT_EQ(dialog.events, (std::vector<Event>{{Notification::kChange, kLine, "abc"},
                                               {Notification::kChange, kLine, "abc"},
                                               {Notification::kChange, kLine, "-2"},
                                               {Notification::kChange, kText, "un\r\ndeux"}}));
}

TEST_F(DialogTest, TypingRaisesAChangePerKeystroke) {
  TypeKeys(dialog, kLine, ";,");
  EXPECT_EQ(dialog.events, (std::vector<Event>{{Notification::kChange, kLine, ";"},
                                               {Notification::kChange, kLine, ";,"}}));
}

TEST_F(DialogTest, AClickNeverUnchecksARadioButtonAndOnlyItsGroupIsCleared) {
  dialog.CheckDlgButton(kRadioOne, 1);
  dialog.CheckDlgButton(kRadioTwo, 1);
  dialog.CheckDlgButton(kRadioFour, 1);
  EXPECT_TRUE(dialog.events.empty()) << "checking from the program notifies nobody";

  ClickItem(dialog, kRadioOne);  // already checked
  ClickItem(dialog, kRadioThree);
  EXPECT_EQ(dialog.IsDlgButtonChecked(kRadioOne), 1);
  EXPECT_EQ(dialog.IsDlgButtonChecked(kRadioTwo), 1) << "a group of its own: left to the handlers";
  EXPECT_EQ(dialog.IsDlgButtonChecked(kRadioThree), 1);
  EXPECT_EQ(dialog.IsDlgButtonChecked(kRadioFour), 0) << "same group: cleared by the click";
  EXPECT_EQ(dialog.events, (std::vector<Event>{{Notification::kClicked, kRadioOne, "1"},
                                               {Notification::kClicked, kRadioThree, "1"}}));
}

TEST_F(DialogTest, ACheckBoxToggledByAClickNotifiesWithItsNewState) {
  ClickItem(dialog, kCheck);
  ClickItem(dialog, kCheck);
  EXPECT_EQ(dialog.events, (std::vector<Event>{{Notification::kClicked, kCheck, "1"},
                                               {Notification::kClicked, kCheck, "0"}}));
}

TEST_F(DialogTest, TabFollowsTheTemplateOrderOfTabStopsAndTheFirstHasTheFocus) {
  ShowAndWaitDrawn(dialog);
  EXPECT_EQ(FocusedItem(dialog), kIdOk);
  std::vector<std::optional<int>> chain;
  for (int i = 0; i < 6; ++i) {
    PressKey(WindowOf(dialog), Key::kTab);
    chain.push_back(FocusedItem(dialog));
  }
  EXPECT_EQ(chain, (std::vector<std::optional<int>>{kIdCancel, kLine, kCheck, kText, kList, kIdOk}))
      << "radio buttons without a tab stop are left out";
}

TEST_F(DialogTest, StaticTextsShowADoubledAmpersandOnceAndProgramTextsAsGiven) {
  constexpr std::size_t kLabelIndex = 10;
  EXPECT_EQ(dialog.GetDlgItemText(kLabel), "A & B");
  EXPECT_EQ(ShownTextAt(dialog, kLabelIndex), "A & B");
  dialog.SetDlgItemText(kLabel, "/home/a&b/cours.txt");
  EXPECT_EQ(dialog.GetDlgItemText(kLabel), "/home/a&b/cours.txt");
  EXPECT_EQ(ShownTextAt(dialog, kLabelIndex), "/home/a&b/cours.txt")
      << "no mnemonic made of a path";
  EXPECT_EQ(dialog.GetDlgItemText(kIdOk), "&Valider");
}

TEST_F(DialogTest, EnablingIsByIdAndUnknownIdsAreHarmless) {
  dialog.EnableDlgItem(kLine, false);
  EXPECT_FALSE(IsDlgItemEnabled(dialog, kLine));
  dialog.EnableDlgItem(kLine, true);
  EXPECT_TRUE(IsDlgItemEnabled(dialog, kLine));

  dialog.SetDlgItemText(999, "x");
  dialog.CheckDlgButton(999, 1);
  EXPECT_EQ(dialog.GetDlgItemText(999), "");
  EXPECT_EQ(dialog.ListAddString(kLine, "x"), kListErr);
}

TEST_F(DialogTest, ListBoxKeepsOrderAndAnswersNoSpaceAtItsCapacity) {
  ListSetCapacity(dialog, kList, 3);
  EXPECT_EQ(dialog.ListAddString(kList, "a"), 0);
  EXPECT_EQ(dialog.ListAddString(kList, "b"), 1);
  EXPECT_EQ(dialog.ListAddString(kList, "c"), 2);
  EXPECT_EQ(dialog.ListAddString(kList, "d"), kListErrSpace);
  EXPECT_EQ(dialog.ListGetCount(kList), 3);
  EXPECT_EQ(dialog.ListDeleteString(kList, 0), 2);
  EXPECT_EQ(dialog.ListDeleteString(kList, 5), kListErr);
  EXPECT_EQ(dialog.ListAddString(kList, "d"), 2);
  EXPECT_EQ(ListGetText(dialog, kList, 0), "b");
  EXPECT_EQ(ListGetText(dialog, kList, 2), "d");
  dialog.ListResetContent(kList);
  EXPECT_EQ(dialog.ListGetCount(kList), 0);
}

TEST_F(DialogTest, SelectingALineScrollsItIntoViewAndMinusOneClearsTheSelection) {
  ShowAndWaitDrawn(dialog);
  for (int i = 0; i < 50; ++i) dialog.ListAddString(kList, "ligne " + std::to_string(i));
  EXPECT_EQ(ListGetTopIndex(dialog, kList), 0);
  EXPECT_EQ(dialog.ListSetCurSel(kList, 49), 49);
  EXPECT_EQ(ListGetCurSel(dialog, kList), 49);
  const int top = ListGetTopIndex(dialog, kList);
  EXPECT_GT(top, 0);
  EXPECT_EQ(dialog.ListSetCurSel(kList, -1), kListErr);
  EXPECT_EQ(ListGetCurSel(dialog, kList), kListErr);
  EXPECT_EQ(ListGetTopIndex(dialog, kList), top) << "clearing the selection does not scroll";
}

TEST_F(DialogTest, AnEmptyListShowsWhenTheKeyboardBringsItTheFocus) {
  ShowAndWaitDrawn(dialog);
  GotoDlgCtrl(dialog, kText);
  PressKey(WindowOf(dialog), Key::kTab);  // the edit before it takes no tab
  ProcessEvents();
  const std::vector<std::uint32_t> withFocus = ItemPicture(dialog, kList);
  ASSERT_EQ(FocusedItem(dialog), kList);
  PressKey(WindowOf(dialog), Key::kTab);
  ProcessEvents();
  ASSERT_NE(FocusedItem(dialog), kList);
  ASSERT_FALSE(withFocus.empty());
  EXPECT_NE(withFocus, ItemPicture(dialog, kList));
}

TEST(DialogModalTest, EnterEscapeAndTheCloseBoxEndTheDialog) {
  struct Case {
    const char* name;
    std::function<void(TestDialog&, ScreenWindow)> act;
    int expected;
  };
  const std::vector<Case> cases = {
      {"Enter on the default button",
       [](TestDialog&, ScreenWindow w) { PressKey(w, Key::kReturn); }, kIdOk},
      {"Escape", [](TestDialog&, ScreenWindow w) { PressKey(w, Key::kEscape); }, kIdCancel},
      {"Alt and the mnemonic of \"&Valider\"",
       [](TestDialog&, ScreenWindow w) { PressMnemonic(w, 'V'); }, kIdOk},
      {"close box", [](TestDialog&, ScreenWindow w) { CloseWithCloseBox(w); }, kIdCancel},
      {"Enter in a line edit",
       [](TestDialog& d, ScreenWindow w) {
         GotoDlgCtrl(d, kLine);
         PressKey(w, Key::kReturn);
       },
       kIdOk},
      {"Enter on another focused button",
       [](TestDialog& d, ScreenWindow w) {
         GotoDlgCtrl(d, kIdCancel);
         PressKey(w, Key::kReturn);
       },
       kIdCancel},
  };
  for (const Case& c : cases) {
    TestDialog dialog;
    WhenModal([&](ScreenWindow window) { c.act(dialog, window); });
    EXPECT_EQ(dialog.DoModal(), c.expected) << c.name;
    EXPECT_TRUE(dialog.destroyed) << c.name;
    EXPECT_FALSE(dialog.IsCreated()) << c.name;
  }
}

TEST(DialogModalTest, EnterInAMultiLineEditPressesTheDefaultButtonInsteadOfANewLine) {
  TestDialog dialog;
  WhenModal([&](ScreenWindow window) {
    GotoDlgCtrl(dialog, kText);
    TypeKeys(dialog, kText, "ab");
    PressKey(window, Key::kReturn);
  });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  ASSERT_FALSE(dialog.events.empty());
  EXPECT_EQ(dialog.events.back().text, "ab");
}

TEST(DialogModalTest, EndDialogDuringInitialisationEndsWithoutALoop) {
  TestDialog dialog;
  dialog.endAtInit = true;
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_TRUE(dialog.destroyed);
}

TEST(DialogModalTest, ADialogWithoutParentIsOwnedByTheModalDialogOfTheMoment) {
  TestDialog outer;
  void* innerOwner = nullptr;
  WhenModal([&](ScreenWindow outerWindow) {
    TestDialog inner;
    WhenModal([&](ScreenWindow innerWindow) {
      innerOwner = OwnerOf(innerWindow).handle;
      PressKey(innerWindow, Key::kEscape);
    });
    inner.DoModal();
    EXPECT_EQ(innerOwner, outerWindow.handle);
    PressKey(outerWindow, Key::kEscape);
  });
  outer.DoModal();
  EXPECT_NE(innerOwner, nullptr);
}

TEST(DialogOwnershipTest, AChildWindowThatWentWithItsParentIsNotDeletedAgain) {
  TestDialog parent;
  parent.Create();
  Dialog child(kTemplate, &parent);
  child.Create();
  ASSERT_EQ(OwnerOf(WindowOf(child)).handle, WindowOf(parent).handle);
  parent.DestroyWindow();  // the toolkit destroys the child's window with its parent's
  EXPECT_FALSE(child.IsCreated());
  child.SetDlgItemText(kLine, "x");
  EXPECT_EQ(child.GetDlgItemText(kLine), "");
  EXPECT_FALSE(child.DestroyWindow());
}

TEST(DialogNotCreatedTest, ItemOperationsDoNothing) {
  TestDialog dialog;
  dialog.SetDlgItemText(kLine, "x");
  dialog.CheckDlgButton(kCheck, 1);
  EXPECT_EQ(dialog.IsDlgButtonChecked(kCheck), 0);
  EXPECT_EQ(dialog.GetDlgItemText(kLine), "");
  EXPECT_EQ(dialog.ListGetCount(kList), kListErr);
  EXPECT_FALSE(dialog.DestroyWindow());
  EXPECT_TRUE(dialog.events.empty());
}

}  // namespace
}  // namespace quelvane
