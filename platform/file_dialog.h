// The file-open dialog: what it is asked to show, how tests script it, and
// FileDialog, which stores the chosen paths in a SelectionBuffer
// (platform/selection_buffer.h) and walks them with GetNextPathName.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/box_types.h"
#include "platform/selection_buffer.h"

namespace quelvane {

class Dialog;

// Flags of the dialog.
inline constexpr std::uint32_t kOfnAllowMultiSelect = 0x200;
inline constexpr std::uint32_t kOfnFileMustExist = 0x1000;
inline constexpr std::uint32_t kOfnEnableSizing = 0x800000;

struct FileFilter {
  std::string description;  // "Fichiers textes (*.txt)"
  std::string pattern;      // "*.txt"; several patterns are separated by ';'
};

// What a file-open dialog is asked to show.
struct FileDialogRequest {
  const Dialog* owner;
  std::string initialFileName;  // a file or folder to start from, or empty
  std::vector<FileFilter> filters;
  std::uint32_t flags;
};

// The chosen full paths, or nothing when the user cancels.
using FileDialogPresenter =
    std::function<std::optional<std::vector<std::string>>(const FileDialogRequest&)>;

// Replaces the dialog (tests script their selections); returns the previous
// presenter. An empty presenter brings back the real dialog.
FileDialogPresenter SetFileDialogPresenter(FileDialogPresenter presenter);

// Splits a filter written "Description|pattern|Description|pattern||".
std::vector<FileFilter> ParseFileFilter(std::string_view filter);

class FileDialog {
 public:
  // An open dialog with those flags and filter (the first filter selected).
  FileDialog(std::uint32_t flags, std::string_view filter, const Dialog* owner = nullptr);
  FileDialog(const FileDialog&) = delete;
  FileDialog& operator=(const FileDialog&) = delete;

  // The buffer that receives the selection, in place of the dialog's own.
  void SetFileNameBuffer(SelectionBuffer& buffer) { buffer_ = &buffer; }
  // The box that tells the user a selection does not fit, in the program's own
  // words; without one, such a selection is only cancelled.
  void SetTooManyFilesBox(const BoxMessage& box) { tooManyFilesBox_ = box; }

  // Shows the dialog, starting from the buffer's first string. Returns kIdOk
  // with the selection in the buffer, or kIdCancel when the user cancels or the
  // selection does not fit; the buffer then holds no selection. A selection
  // that does not fit is told to the user in the box SetTooManyFilesBox gave.
  int DoModal();

  SelectionPosition GetStartPosition() const;
  std::string GetNextPathName(SelectionPosition& position) const;

 private:
  std::uint32_t flags_;
  std::vector<FileFilter> filters_;
  const Dialog* owner_;
  SelectionBuffer ownBuffer_;
  SelectionBuffer* buffer_ = &ownBuffer_;
  std::optional<BoxMessage> tooManyFilesBox_;
  std::string lastFolder_;  // where a dialog after a cancelled one starts
};

}  // namespace quelvane
