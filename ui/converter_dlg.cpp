#include "ui/converter_dlg.h"

#include <vector>

#include "core/text.h"
#include "platform/message_box.h"
#include "res/box_texts.h"
#include "res/help_text.h"
#include "res/resources.h"
#include "run/process_files.h"
#include "ui/about_dlg.h"
#include "ui/help_dlg.h"
#include "ui/quick_convert_dlg.h"

namespace quelvane {
namespace {

using namespace quelvane::res;

constexpr std::string_view kSourceFilter =
    "Fichiers textes (*.txt)|*.txt|Fichiers Métastock (*.prn)|*.prn|Fichiers ASCII "
    "(*.asc)|*.asc|Tous (*.*)|*.*||";
constexpr std::uint32_t kSourceFileFlags =
    kOfnAllowMultiSelect | kOfnFileMustExist | kOfnEnableSizing;

const MessageMapEntry<CConverterDlg> kMessageMap[] = {
    {Notification::kClicked, kIdcProcessFiles, &CConverterDlg::OnProcessFiles},
    {Notification::kClicked, kIdcSourceTab, &CConverterDlg::OnSourceTab},
    {Notification::kClicked, kIdcSourceOther, &CConverterDlg::OnSourceOther},
    {Notification::kChange, kIdcSourceText, &CConverterDlg::OnSourceTextChange},
    {Notification::kClicked, kIdcIsinToSicovam, &CConverterDlg::OnIsinToSicovam},
    {Notification::kClicked, kIdcSicovamToIsin, &CConverterDlg::OnSicovamToIsin},
    {Notification::kClicked, kIdcSelectFiles, &CConverterDlg::SelectSourceFiles},
    {Notification::kClicked, kIdcDestinationTab, &CConverterDlg::OnDestinationTab},
    {Notification::kClicked, kIdcDestinationOther, &CConverterDlg::OnDestinationOther},
    {Notification::kChange, kIdcDestinationText, &CConverterDlg::OnDestinationTextChange},
    {Notification::kClicked, kIdcHelp, &CConverterDlg::OnHelp},
    {Notification::kClicked, kIdcAbout, &CConverterDlg::OnAbout},
    {Notification::kClicked, kIdcQuickConvert, &CConverterDlg::OnQuickConvert},
    {Notification::kClicked, kIdcPrefix, &CConverterDlg::OnPrefix},
    {Notification::kClicked, kIdcKnownValuesOnly, &CConverterDlg::OnKnownValuesOnly},
    {Notification::kClicked, kIdcFixedLength, &CConverterDlg::OnFixedLength},
    {Notification::kChange, kIdcLengthText, &CConverterDlg::OnLengthChange},
    {Notification::kClicked, kIdcExtensionNew, &CConverterDlg::OnExtensionNew},
    {Notification::kClicked, kIdcExtensionNewTxt, &CConverterDlg::OnExtensionNewTxt},
    {Notification::kClicked, kIdcSkipIgnored, &CConverterDlg::OnSkipIgnored},
    {Notification::kSysCommand, kIdmAbout, &CConverterDlg::OnAbout},
};

}  // namespace

CConverterDlg::CConverterDlg(Dialog* parent)
    : Dialog(GetDialogTemplate(kIddMainWindow), parent),
      windowIcon_(LoadIcon(kIconMain)),
      profile_(Profile::DefaultPath()) {
  BindMessageMap(kMessageMap);
}

CConverterDlg::~CConverterDlg() = default;

bool CConverterDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  // Where the desktop gives windows no system menu, the About dialog is reached
  // by its button only.
  AppendSystemMenuItem(kIdmAbout, kAboutMenuItem);
  SetIcon(windowIcon_, true);
  SetIcon(windowIcon_, false);

  for (int id : {kIdcStatusLine1, kIdcStatusLine2, kIdcStatusLine3, kIdcStatusLine4}) {
    SetDlgItemText(id, "");
  }

  sourceFileDialog_ = std::make_unique<FileDialog>(kSourceFileFlags, kSourceFilter, this);
  sourceFileDialog_->SetFileNameBuffer(selectionBuffer_);
  sourceFileDialog_->SetTooManyFilesBox(res::kTooManyFilesBox);
  selectionBuffer_.Clear();

  for (int id : {kIdcSourceText, kIdcDestinationText}) {
    LimitDlgItemToCp1252(id, kSeparatorMaxLength);
  }
  const SettingsReading reading = ReadSettings(profile_);
  ShowSettings(reading.settings);
  profileUnreadable_ = reading.failure.has_value();

  // A missing table.txt is no error: the built-in table serves alone. One that
  // is there and cannot be read whole is said: the user's pairs are not used.
  const std::string tablePath = "table.txt";
  const TableLoad table = tables_.LoadUserCodeTable(tablePath);
  if (reading.failure) {
    MessageBox(UnreadableProfileText(DisplayText(Utf8FromPath(profile_.Path())), *reading.failure),
               kUnreadableCaption, BoxType::kStop);
  }
  if (!table && !table.Absent()) {
    MessageBox(UnreadableTableText(tablePath, *table.failure), kUnreadableCaption, BoxType::kStop);
  }
  return true;
}

void CConverterDlg::ShowSettings(const Settings& settings) {
  options_ = settings.options;
  otherExtension_ = settings.otherExtension;
  CheckDlgButton(kIdcKnownValuesOnly, options_.ValeursConnuesOnly);
  CheckDlgButton(kIdcSkipIgnored, options_.NePasRecopierValeursIgnorees);
  ShowSeparator(kSourceSeparator, settings.sourceTabulation);
  const bool sicovamToIsin = settings.direction == ConversionDirection::kSicovamToIsin;
  CheckDlgButton(kIdcSicovamToIsin, sicovamToIsin ? 1 : 0);
  CheckDlgButton(kIdcIsinToSicovam, sicovamToIsin ? 0 : 1);
  CheckDlgButton(kIdcPrefix, options_.PrefixeSicovam.starts_with('X') ? 1 : 0);
  ShowSeparator(kDestinationSeparator, settings.destinationTabulation);
  SetDlgItemInt(kIdcLengthText, options_.NbCharSico);
  CheckDlgButton(kIdcFixedLength, options_.LgSicoFixe);
  EnableDlgItem(kIdcLengthText, options_.LgSicoFixe != 0);
  const bool plainNew = options_.ExtensionDestination == OutputExtension::kNew;
  CheckDlgButton(kIdcExtensionNewTxt, plainNew ? 0 : 1);
  CheckDlgButton(kIdcExtensionNew, plainNew ? 1 : 0);
}

bool CConverterDlg::DestroyWindow() {
  if (!IsCreated()) return false;
  tables_.FreeUserCodeTable();

  // Every key, at every end of the window, but never over settings that could
  // not be read at start: the user's own file stays as it is.
  if (!profileUnreadable_) SaveSettings();
  return Dialog::DestroyWindow();
}

void CConverterDlg::SaveSettings() {
  Settings settings;
  settings.direction = IsDlgButtonChecked(kIdcSicovamToIsin) != 0
                           ? ConversionDirection::kSicovamToIsin
                           : ConversionDirection::kIsinToSicovam;
  options_.SetDirection(settings.direction);
  settings.options = options_;
  settings.sourceTabulation = IsDlgButtonChecked(kIdcSourceTab) != 0;
  settings.destinationTabulation = IsDlgButtonChecked(kIdcDestinationTab) != 0;
  settings.otherExtension = otherExtension_;
  if (!WriteSettings(profile_, settings)) {
    MessageBox(SettingsNotSavedText(DisplayText(Utf8FromPath(profile_.Path()))), kUnreadableCaption,
               BoxType::kStop);
  }
}

// ---- What a run reports -----------------------------------------------------

void CConverterDlg::SetStatusLines(const std::optional<std::string>& line1,
                                   const std::optional<std::string>& line2,
                                   const std::optional<std::string>& line3,
                                   const std::optional<std::string>& line4) {
  const std::optional<std::string>* lines[] = {&line1, &line2, &line3, &line4};
  const int ids[] = {kIdcStatusLine1, kIdcStatusLine2, kIdcStatusLine3, kIdcStatusLine4};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!lines[i]->has_value()) continue;
    SetDlgItemText(ids[i], **lines[i]);
    // The run holds the thread: the line is painted now, not when it returns.
    RepaintDlgItem(ids[i]);
  }
  LetPaintThrough();
}

void CConverterDlg::FileProgress(std::uint64_t /*done*/, std::uint64_t /*total*/) {
  LetPaintThrough();
}

// The window's own operation drops a text's trailing line ends; the run's lines
// have none.
void CConverterDlg::AddLogLine(std::string_view text) {
  const std::string line(StripTrailingLineEnds(text));
  int answer = ListAddString(kIdcLog, line);
  // A full list makes room by dropping its oldest line. An empty list that still
  // has no room could never make any: the line is dropped.
  while (answer == kListErrSpace && ListGetCount(kIdcLog) > 0) {
    ListDeleteString(kIdcLog, 0);
    answer = ListAddString(kIdcLog, line);
  }
}

void CConverterDlg::SetLogRedraw(bool on) {
  SetDlgItemRedraw(kIdcLog, on);
}

void CConverterDlg::ScrollLogToEnd() {
  const int count = ListGetCount(kIdcLog);
  if (count > 10) {
    ListSetCurSel(kIdcLog, count - 1);
    ListSetCurSel(kIdcLog, -1);
  }
}

BoxAnswer CConverterDlg::MessageBox(std::string_view text, std::string_view caption, BoxType type) {
  return Dialog::MessageBox(text, caption, type);
}

// ---- Buttons ------------------------------------------------------------------

void CConverterDlg::OnProcessFiles() {
  if (sourceFileDialog_ == nullptr) return;
  std::vector<std::string> paths;
  for (SelectionPosition position = sourceFileDialog_->GetStartPosition(); position;) {
    paths.push_back(sourceFileDialog_->GetNextPathName(position));
  }
  ConversionOptions options = options_;
  options.NePasRecopierValeursIgnorees = IsDlgButtonChecked(kIdcSkipIgnored);
  options.ExtensionDestination = IsDlgButtonChecked(kIdcExtensionNewTxt) != 0
                                     ? OutputExtension::kNewTxt
                                     : OutputExtension::kNew;
  ProcessFiles(options, paths, tables_, *this);
}

void CConverterDlg::SelectSourceFiles() {
  ListResetContent(kIdcFileList);
  if (sourceFileDialog_ == nullptr || sourceFileDialog_->DoModal() != kIdOk) return;
  for (SelectionPosition position = sourceFileDialog_->GetStartPosition(); position;) {
    ListAddString(kIdcFileList, DisplayText(sourceFileDialog_->GetNextPathName(position)));
  }
}

// The three dialogs open as local modal dialogs, each built for this opening
// only; their result is not used.
void CConverterDlg::OnQuickConvert() {
  CQuickConvertDlg dialog(tables_);
  dialog.DoModal();
}

void CConverterDlg::OnHelp() {
  CHelpDlg dialog;
  dialog.DoModal();
}

void CConverterDlg::OnAbout() {
  CAboutDlg dialog;
  dialog.DoModal();
}

// ---- Options --------------------------------------------------------------------

void CConverterDlg::OnKnownValuesOnly() {
  options_.ValeursConnuesOnly = options_.ValeursConnuesOnly == 0 ? 1 : 0;
  CheckDlgButton(kIdcKnownValuesOnly, options_.ValeursConnuesOnly);
}

void CConverterDlg::OnSkipIgnored() {
  options_.NePasRecopierValeursIgnorees = options_.NePasRecopierValeursIgnorees == 0 ? 1 : 0;
  CheckDlgButton(kIdcSkipIgnored, options_.NePasRecopierValeursIgnorees);
}

// The two separators behave alike: a "Tabulation" radio, an "Autre :" radio and
// the edit that holds the other characters, at most 9 of them.
void CConverterDlg::ShowSeparator(const SeparatorControls& controls, bool tabulation) {
  if (tabulation) {
    CheckDlgButton(controls.tabId, 1);
    EnableDlgItem(controls.textId, false);
  } else {
    // The edit shows the saved bytes as the characters they are in Windows-1252.
    SetDlgItemText(controls.textId, Cp1252ToUtf8(options_.*controls.option));
    CheckDlgButton(controls.tabId, 0);
    CheckDlgButton(controls.otherId, 1);
    EnableDlgItem(controls.textId, true);
  }
}

void CConverterDlg::SelectTabulation(const SeparatorControls& controls) {
  // One character is assigned, not a literal: GCC 12 at -O2 takes the copy of a
  // literal into a string reached through a member pointer for a possible overlap.
  (options_.*controls.option).assign(1, '\t');
  CheckDlgButton(controls.otherId, 0);
  EnableDlgItem(controls.textId, false);
}

void CConverterDlg::SelectOther(const SeparatorControls& controls) {
  CheckDlgButton(controls.tabId, 0);
  EnableDlgItem(controls.textId, true);
  ReadSeparatorText(controls);
}

void CConverterDlg::ReadSeparatorText(const SeparatorControls& controls) {
  // Quote files and the profile are Windows-1252: a typed character is one byte.
  std::string separator = Utf8ToCp1252(GetDlgItemText(controls.textId));
  if (separator.size() > kSeparatorMaxLength) separator.resize(kSeparatorMaxLength);
  options_.*controls.option = std::move(separator);
}

void CConverterDlg::OnSourceTab() {
  SelectTabulation(kSourceSeparator);
}
void CConverterDlg::OnSourceOther() {
  SelectOther(kSourceSeparator);
}
void CConverterDlg::OnSourceTextChange() {
  ReadSeparatorText(kSourceSeparator);
}

void CConverterDlg::OnSicovamToIsin() {
  CheckDlgButton(kIdcIsinToSicovam, 0);
  options_.SetDirection(ConversionDirection::kSicovamToIsin);
  EnableDlgItem(kIdcFixedLength, false);
  EnableDlgItem(kIdcLengthText, false);
}

void CConverterDlg::OnIsinToSicovam() {
  CheckDlgButton(kIdcSicovamToIsin, 0);
  options_.SetDirection(ConversionDirection::kIsinToSicovam);
  EnableDlgItem(kIdcFixedLength, true);
  if (IsDlgButtonChecked(kIdcFixedLength) != 0) {
    EnableDlgItem(kIdcLengthText, true);
    SetDlgItemInt(kIdcLengthText, options_.NbCharSico);
  }
}

void CConverterDlg::OnPrefix() {
  // As for the separators: a character, not one of two literals.
  options_.PrefixeSicovam.assign(IsDlgButtonChecked(kIdcPrefix) != 0 ? 1 : 0, 'X');
}

void CConverterDlg::OnFixedLength() {
  if (IsDlgButtonChecked(kIdcFixedLength) != 0) {
    options_.LgSicoFixe = 1;
    EnableDlgItem(kIdcLengthText, true);
    if (options_.NbCharSico > 0) SetDlgItemInt(kIdcLengthText, options_.NbCharSico);
  } else {
    options_.LgSicoFixe = 0;
    EnableDlgItem(kIdcLengthText, false);
  }
}

void CConverterDlg::OnLengthChange() {
  options_.NbCharSico = ReadAtoi(GetDlgItemText(kIdcLengthText));
}

void CConverterDlg::OnDestinationTab() {
  SelectTabulation(kDestinationSeparator);
}
void CConverterDlg::OnDestinationOther() {
  SelectOther(kDestinationSeparator);
}
void CConverterDlg::OnDestinationTextChange() {
  ReadSeparatorText(kDestinationSeparator);
}

void CConverterDlg::OnExtensionNew() {
  CheckDlgButton(kIdcExtensionNewTxt, 0);
  options_.ExtensionDestination = OutputExtension::kNew;
  otherExtension_.reset();
}

void CConverterDlg::OnExtensionNewTxt() {
  CheckDlgButton(kIdcExtensionNew, 0);
  options_.ExtensionDestination = OutputExtension::kNewTxt;
  otherExtension_.reset();
}

}  // namespace quelvane
