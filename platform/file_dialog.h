// The file-open dialog and the buffer that receives its selection.
//
// The selection keeps the format the program was written for: one file gives its
// full path and a zero; several files give their folder, a zero, then each name
// followed by a zero, and one more zero after the last. GetNextPathName walks it:
// the folder, the system's separator ('/' on Linux, '\\' on Windows), the name
// (the separator left out when the folder already ends with one). A buffer of zeros walks as
// exactly one empty path, which is how the program tells that nothing is selected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/box_types.h"

namespace quelvane {

class Dialog;

inline constexpr std::size_t kSelectionBufferSize = 31'000;

// What became of a selection stored in the buffer.
enum class StoreOutcome : std::uint8_t {
  kStored,
  kTooLong,  // the selection needs more than kSelectionBufferSize characters
  kRefused,  // no path, an empty one, one holding a zero, or several folders
};

// The dialog's file-name buffer: kSelectionBufferSize characters (bytes), zeros
// when created.
class SelectionBuffer {
 public:
  SelectionBuffer() : chars_(kSelectionBufferSize, '\0') {}

  void Clear() { chars_.assign(kSelectionBufferSize, '\0'); }
  std::string_view Chars() const { return chars_; }
  // The text up to the first zero.
  std::string_view FirstString() const;
  // Stores a selection of paths that all lie in one folder, in the format above.
  // Anything but kStored leaves the buffer cleared.
  StoreOutcome Store(const std::vector<std::string>& paths);
  // The character at that offset; zero past the end.
  char At(std::size_t offset) const { return offset < chars_.size() ? chars_[offset] : '\0'; }

 private:
  std::string chars_;
};

// A walk through a selection; empty once the last path has been taken.
using SelectionPosition = std::optional<std::size_t>;

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
