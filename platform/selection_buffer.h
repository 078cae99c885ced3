// The buffer that receives the file-open dialog's selection, in the format the
// program reads it in: one file gives its full path and a zero; several files
// give their folder, a zero, then each name followed by a zero, and one more zero
// after the last. The walk through it gives the folder, the system's separator
// ('/' on Linux, '\\' on Windows), the name (the separator left out when the
// folder already ends with one). A buffer of zeros walks as exactly one empty
// path, which is how the program tells that nothing is selected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

inline constexpr std::size_t kSelectionBufferSize = 31'000;

// A walk through a selection; empty once the last path has been taken.
using SelectionPosition = std::optional<std::size_t>;

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

  // The walk GetNextPathName makes, from position 0: a buffer whose second string
  // is empty, or any buffer when `multiSelect` is false, gives its first string
  // as the one path. Empties the position after the last path.
  std::string NextPathName(SelectionPosition& position, bool multiSelect) const;

 private:
  std::string chars_;
};

}  // namespace quelvane
