// An output file written under a temporary name in its final folder and renamed
// over its final name only once complete: a failed write, close or rename leaves
// neither a partial file nor the temporary one, and an earlier file of the final
// name stays as it was.
#pragma once

#include <cstddef>
#include <string>

namespace quelvane {

class AtomicOutputFile {
 public:
  // Bytes collected before they are written in one call.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  explicit AtomicOutputFile(std::string finalPath);
  ~AtomicOutputFile();  // discards what was not committed
  AtomicOutputFile(const AtomicOutputFile&) = delete;
  AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

  // Creates the temporary file; false when it cannot be created.
  bool Open();

  // The pending bytes: callers append to it, then call WriteIfFull at a point
  // where what is pending may be written.
  std::string& Pending() { return pending_; }
  // False once a write has failed.
  bool WriteIfFull() { return pending_.size() < kBlockSize || WritePending(); }

  // Writes what is pending, closes, and renames over the final name.
  bool Commit();
  // Closes and removes the temporary file.
  void Discard();

 private:
  bool WritePending();

  std::string finalPath_;
  std::string tempPath_;
  std::string pending_;
  int fd_ = -1;
  bool failed_ = false;
};

}  // namespace quelvane
