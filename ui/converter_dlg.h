// The main window: the options of a file conversion run, kept in the profile
// between sessions; the selected files; the buttons that start the run and the
// other dialogs; the status lines and the log that report a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/code_tables.h"
#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/icon.h"
#include "res/resource_ids.h"
#include "res/window_report.h"
#include "run/conversion_options.h"
#include "run/profile.h"
#include "run/settings.h"

namespace quelvane {

class CConverterDlg : public Dialog, public res::WindowReport {
 public:
  // Loads the window icon and creates the empty user code table; everything else
  // is set by OnInitDialog. The settings live in Profile::DefaultPath().
  explicit CConverterDlg(Dialog* parent = nullptr);
  ~CConverterDlg() override;

  bool OnInitDialog() override;
  // Frees the user code table and writes the fourteen settings, then destroys
  // the window.
  bool DestroyWindow() override;

  // What a run reports, shown in this window.
  void SetStatusLines(const std::optional<std::string>& line1,
                      const std::optional<std::string>& line2,
                      const std::optional<std::string>& line3,
                      const std::optional<std::string>& line4) override;
  void AddLogLine(std::string_view text) override;
  void SetLogRedraw(bool on) override;
  void ScrollLogToEnd() override;
  BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) override;
  // The window is drawn again, wherever it was covered, every few megabytes of a long file.
  void FileProgress(std::uint64_t done, std::uint64_t total) override;

  // Button handlers of other functions.
  void OnProcessFiles();     // 1001 "Traiter les fichiers": the file conversion run
  void SelectSourceFiles();  // 1000 "Fichiers à traiter"
  void OnQuickConvert();     // 1020 "Sico <-> Isin"
  void OnHelp();             // 1017 "&Aide"
  void OnAbout();            // 1003 "A &propos..."

  // Option handlers: each control updates its option at once.
  void OnKnownValuesOnly();        // 1031
  void OnSkipIgnored();            // 1034
  void OnSourceTab();              // 1011
  void OnSourceOther();            // 1012
  void OnSourceTextChange();       // 1013
  void OnSicovamToIsin();          // 1005
  void OnIsinToSicovam();          // 1004
  void OnPrefix();                 // 1030
  void OnFixedLength();            // 1033
  void OnLengthChange();           // 1032
  void OnDestinationTab();         // 1014
  void OnDestinationOther();       // 1015
  void OnDestinationTextChange();  // 1016
  void OnExtensionNew();           // 1035
  void OnExtensionNewTxt();        // 1036

  // The options as they stand (the run reads box 1034 and radio 1036 besides).
  const ConversionOptions& Options() const { return options_; }
  const CodeTables& Tables() const { return tables_; }

 private:
  struct SeparatorControls {
    int tabId, otherId, textId;
    std::string ConversionOptions::*option;
  };
  static constexpr SeparatorControls kSourceSeparator{res::kIdcSourceTab, res::kIdcSourceOther,
                                                      res::kIdcSourceText,
                                                      &ConversionOptions::SeparateurSource};
  static constexpr SeparatorControls kDestinationSeparator{
      res::kIdcDestinationTab, res::kIdcDestinationOther, res::kIdcDestinationText,
      &ConversionOptions::SeparateurDestination};

  void ShowSettings(const Settings& settings);
  // Writes every key; says so in a box when the profile could not take them.
  void SaveSettings();
  void ShowSeparator(const SeparatorControls& controls, bool tabulation);
  void SelectTabulation(const SeparatorControls& controls);
  void SelectOther(const SeparatorControls& controls);
  void ReadSeparatorText(const SeparatorControls& controls);

  ConversionOptions options_;
  std::optional<std::string> otherExtension_;  // see WindowSettings::otherExtension
  SelectionBuffer selectionBuffer_;
  std::unique_ptr<FileDialog> sourceFileDialog_;
  Icon windowIcon_;
  CodeTables tables_;
  Profile profile_;
  bool profileUnreadable_ = false;  // the profile is there and could not be read at start
};

}  // namespace quelvane
