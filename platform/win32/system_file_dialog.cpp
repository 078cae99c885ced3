// The file-open dialog is Windows' own (GetOpenFileNameW, explorer style), with
// the selection buffer's size: a selection it cannot hold is said as such.
#include "platform/system_file_dialog.h"

#include <string>
#include <vector>

#include "platform/win32/access.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace quelvane {
namespace {

// "Description\0pattern\0...\0\0", as the dialog takes its filters.
std::wstring FilterList(const std::vector<FileFilter>& filters) {
  std::wstring list;
  for (const FileFilter& filter : filters) {
    list += ToWide(filter.description);
    list += L'\0';
    list += ToWide(filter.pattern);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// One file: its full path. Several: the folder, then each name.
std::vector<std::string> SelectedPaths(const std::wstring& buffer, std::size_t nameOffset) {
  const std::wstring first(buffer.c_str());
  if (nameOffset <= first.size()) return {FromWide(first)};
  std::wstring folder = first;
  if (folder.back() != L'\\') folder += L'\\';
  std::vector<std::string> paths;
  for (std::size_t at = first.size() + 1; at < buffer.size() && buffer[at] != L'\0';) {
    const std::wstring name(buffer.c_str() + at);
    paths.push_back(FromWide(folder + name));
    at += name.size() + 1;
  }
  return paths;
}

}  // namespace

SystemFileSelection RunSystemFileDialog(const FileDialogRequest& request) {
  HWND owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  const std::wstring filters = FilterList(request.filters);
  std::wstring buffer(kSelectionBufferSize, L'\0');
  std::wstring folder;
  const std::wstring start = ToWide(request.initialFileName);
  if (!start.empty() && IsFolder(start)) {
    folder = start;
  } else if (start.size() < buffer.size()) {
    start.copy(buffer.data(), start.size());
  }

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = request.flags | OFN_EXPLORER | OFN_HIDEREADONLY;
  if (::GetOpenFileNameW(&dialog)) return {SelectedPaths(buffer, dialog.nFileOffset), false};
  return {std::nullopt, ::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL};
}

}  // namespace quelvane
