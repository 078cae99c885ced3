// The program's one door to the files of a POSIX system: owning handles, writes
// that write every byte, reads that never wait on a pipe or a device, and files
// replaced whole; and the one request it makes of the system's memory (huge
// pages for large tables). Quote-file outputs and the profile both go through
// here, so that "an output is complete or absent" is written once, and a port
// needs only this file's counterpart.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelvane {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Writes every byte, going on after short and interrupted writes; false on error.
bool WriteAll(int fd, std::string_view bytes);

// What tells one file from another and one state of a file from the next.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;

  bool SameFile(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
  bool SameState(const FileIdentity& other) const {
    return SameFile(other) && size == other.size && modifiedSeconds == other.modifiedSeconds &&
           modifiedNanoseconds == other.modifiedNanoseconds;
  }
};

enum class OpenFailure { kMissing, kNotRegular, kDenied, kOther };

struct OpenedFile {
  FilePtr file;  // null when the file could not be opened
  FileIdentity identity;
  OpenFailure failure = OpenFailure::kOther;
};

// Opens a regular file for reading. The open itself never blocks (a FIFO without
// a writer would hold the program forever), and anything but a regular file, a
// FIFO, a device or a folder, is refused: only a regular file can be read twice
// and has an end.
OpenedFile OpenRegularFile(const std::string& path);

// The identity of an open file now; of the file a path leads to (following links);
// of the directory entry a path names (a link itself, not what it points to).
std::optional<FileIdentity> IdentityOf(std::FILE* file);
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
std::optional<FileIdentity> IdentityOfEntry(const std::string& path);

// A copy of everything fd gives (standard input, say), in a file without a name
// that vanishes with the program whatever ends it, read from its start: what
// comes through a pipe can then be read twice, with memory that stays flat.
// Null when the copy cannot be made.
FilePtr CopyToUnnamedFile(int fd);

// A file that replaces `finalPath` only once it is complete. It is created without
// a name beside its final place where the file system allows it, so that nothing
// is left behind whatever ends the program, even kill -9; elsewhere under a short
// hidden name that a signal handler removes (see RemoveTemporariesOnSignals).
// Commit gives it a short temporary name, then renames that over the final name:
// the temporary name fits wherever the final name fits. An earlier file of the
// final name keeps its permissions and stays whole until the rename.
class AtomicReplacement {
 public:
  explicit AtomicReplacement(std::string finalPath);
  ~AtomicReplacement();  // discards what was not committed
  AtomicReplacement(const AtomicReplacement&) = delete;
  AtomicReplacement& operator=(const AtomicReplacement&) = delete;

  // Creates the file; false when it cannot be created.
  bool Open();
  int Fd() const { return fd_; }
  const std::string& FinalPath() const { return finalPath_; }

  // Closes the file and puts it in place; durable: on disk before the rename
  // (the profile asks for it; outputs can be made again). False on any failure,
  // after which nothing of this file remains.
  bool Commit(bool durable = false);
  void Discard();

 private:
  bool LinkAs(const std::string& name) const;
  bool GiveTemporaryName();

  std::string finalPath_;
  std::string tempPath_;  // named while it exists: removed on Discard and on signals
  int fd_ = -1;
  bool unnamed_ = false;
  bool replacing_ = false;  // the final name was taken when the file was created
};

// Asks for the memory of a large array not yet written to in huge pages, where the
// system gives them on request: a table of a million pairs fills some 60 MB, and
// each small page of it costs a fault when first written. Only the part that
// whole huge pages cover is concerned; a refusal changes nothing but the speed.
void AdviseHugePages(void* data, std::size_t bytes);

// Removes the named temporary files of AtomicReplacement when SIGINT, SIGTERM or
// SIGHUP ends the program (which then ends by that signal, so its exit status is
// 128 + its number), and ignores SIGXFSZ so that a file-size limit is an ordinary
// write failure. For the programs' mains; idempotent.
void RemoveTemporariesOnSignals();

}  // namespace quelvane
