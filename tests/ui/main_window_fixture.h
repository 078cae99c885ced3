// A main window on a profile and a working folder of its own, driven through its
// real widgets.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/dialog_probes.h"
#include "res/resource_ids.h"
#include "tests/platform/gui_test_support.h"
#include "tests/support/test_system.h"
#include "ui/converter_dlg.h"

namespace quelvane::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    profilePath_ = folder_.Path() / "quelvane.ini";
    SetEnvironment("QUELVANE_PROFILE", profilePath_.string());
    previousFolder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());  // where table.txt is read
  }
  void TearDown() override {
    if (window_ != nullptr) window_->DestroyWindow();
    std::filesystem::current_path(previousFolder_);
    SetEnvironment("QUELVANE_PROFILE", std::nullopt);
  }

  void WriteProfile(const std::string& text) const { folder_.Write("quelvane.ini", text); }
  std::string ProfileText() const { return ReadFile(profilePath_); }

  CConverterDlg& Open() {
    window_ = std::make_unique<CConverterDlg>();
    window_->Create();
    return *window_;
  }
  // Ends the window as the end of its modal loop does: the settings are written.
  void Close() {
    window_->DestroyWindow();
    window_.reset();
  }
  CConverterDlg& Window() { return *window_; }

  void Click(int id) { ClickItem(*window_, id); }
  // Replaces the text of an edit as a person would: select all, type.
  void Type(int id, const std::string& text) {
    SelectAllText(*window_, id);
    if (text.empty()) DeleteSelectedText(*window_, id);
    TypeKeys(*window_, id, text);
  }
  int Checked(int id) const { return window_->IsDlgButtonChecked(id); }
  bool Enabled(int id) const { return IsDlgItemEnabled(*window_, id); }
  std::string Text(int id) const { return window_->GetDlgItemText(id); }

  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_;
  std::filesystem::path profilePath_;
  std::filesystem::path previousFolder_;
  std::unique_ptr<CConverterDlg> window_;
};

}  // namespace quelvane::testing
