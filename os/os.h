// The program's one door to the operating system. Everything Quelvane asks of
// the system goes through here: files read only when they are regular files,
// outputs that are complete or absent, the profile's lock and folder, the
// standard streams, the command line, path names and one request about memory.
// One implementation per system, chosen by the build: posix.cpp,
// windows.cpp, and web.cpp for a browser page's memory files. The first two ask
// the fault seam of faults.h before the calls that can fail, where the tests
// make them fail. Paths and texts are UTF-8 on every system; handles are opaque.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/text_rules.h"

namespace quelvane {

// ---- Handles and writing ----------------------------------------------------

// A handle the system gave; what it holds is the system's business.
enum class OsHandle : std::intptr_t { kNone = -1 };

OsHandle StandardInput();
OsHandle StandardOutput();
OsHandle StandardError();
// The handle a stream of this layer reads from.
OsHandle HandleOf(std::FILE* file);

// What became of a write: a reader that went away (a closed pipe) is its own
// choice, anything else is a lost result.
enum class WriteOutcome { kWritten, kReaderGone, kFailed };

// Writes every byte, going on after short and interrupted writes.
WriteOutcome WriteBytes(OsHandle handle, std::string_view bytes);
inline bool WriteAll(OsHandle handle, std::string_view bytes) {
  return WriteBytes(handle, bytes) == WriteOutcome::kWritten;
}

// Writes UTF-8 text to a standard stream: the same bytes to a pipe or a file on
// every system; a Windows console gets it as characters, whatever its code page.
// A character cut at the end of `text` waits for the next call.
class StandardStreamWriter {
 public:
  explicit StandardStreamWriter(OsHandle handle);
  WriteOutcome Write(std::string_view text);

 private:
  OsHandle handle_;
  bool console_ = false;
  std::string pendingCharacter_;
};

// True when the handle is a terminal (a console on Windows).
bool IsTerminal(OsHandle handle);

// ---- The process ------------------------------------------------------------

// The program's arguments in UTF-8, its name first. POSIX: argv as it is;
// Windows: the wide command line, so that any file name comes through.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// For each of those arguments, whether it is a file-name pattern that the program
// expands itself (core/wildcards.h): on Windows, whose shell hands patterns on as
// typed, a word with * or ? written without a quote; never on POSIX, whose shells
// expand them (a name there may hold a '*').
std::vector<bool> WildcardArguments(const std::vector<std::string>& arguments);

// For the programs' mains, once: a closed pipe is a write failure, not the end of
// the program; a file-size limit likewise; and an interrupt (SIGINT, SIGTERM,
// SIGHUP; Ctrl-C, Ctrl-Break, closing the console) removes the temporary files
// of AtomicReplacement before the program ends the way the system ends it
// (128 + the signal's number; STATUS_CONTROL_C_EXIT). Idempotent.
void PrepareProcess();

// Whether the program may start threads of its own: not in a browser page,
// whose engine runs on the one thread of its worker.
bool CanStartThreads();

// An environment variable in UTF-8; empty when unset.
std::string EnvironmentVariable(std::string_view name);

// ---- Paths --------------------------------------------------------------------

// A path split at its last separator, as the system splits it (os/text_rules.h):
// '/' on POSIX; '\\' or '/' on Windows, and a drive letter's colon.
PathParts SplitPath(std::string_view path);

// The separator the system writes between a folder and a name, and a name put
// in a folder with one separator between them (none added after one).
char PathSeparator();
inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!folder.empty() && !SplitPath(folder).name.empty()) path += PathSeparator();
  path += name;
  return path;
}

// A key under which two names of the same file compare equal as the system
// compares names: as it is on POSIX, without letter case on Windows.
std::string NameKey(std::string_view name);

// std::filesystem's view of a UTF-8 path, and back.
std::filesystem::path PathFromUtf8(std::string_view path);
std::string Utf8FromPath(const std::filesystem::path& path);

bool IsFolder(const std::string& path);
// Creates the folder and those above it; true when it exists afterwards.
bool CreateFolders(const std::string& path);
// The names of the entries of a folder ("" for the current one) that are not
// folders, in no particular order; none when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);
// Where a link leads, for a file kept as a link that is to be replaced where it
// points; the path itself when it is no link.
std::string WhereLinkPoints(const std::string& path);

// ---- Reading ------------------------------------------------------------------

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// What tells one file from another (device and inode; volume serial number and
// file index) and one state of a file from the next.
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

// Why a file could not be read, so that the user is told what to do about it.
// kNotRegular: a pipe or a device; kInUse: another program holds it without
// letting others read (Windows); kReservedName: a Windows device name (CON, NUL,
// AUX, PRN, COM1 to COM9, LPT1 to LPT9, with or without an extension), never a
// file there; kReadError: it opened, but reading it failed; kNotUtf16: it
// starts with a UTF-16 mark, and what follows is not UTF-16.
enum class OpenFailure {
  kMissing,
  kFolder,
  kNotRegular,
  kDenied,
  kInUse,
  kReservedName,
  kReadError,
  kNotUtf16,
  kOther
};

struct OpenedFile {
  FilePtr file;  // null when the file could not be opened
  FileIdentity identity;
  OpenFailure failure = OpenFailure::kOther;
};

// Opens a regular file for reading. The open itself never blocks (a FIFO without
// a writer would hold the program forever), and anything but a regular file, a
// FIFO, a device or a folder, is refused: only a regular file can be read twice
// and has an end. The stream is unbuffered: every reader reads in blocks.
OpenedFile OpenRegularFile(const std::string& path);

// True for a name Windows keeps for a device (IsWindowsDeviceName); only
// Windows says so.
bool IsReservedName(std::string_view path);

// The identity of an open file now; of the file a path leads to (following links);
// of the directory entry a path names (a link itself, not what it points to).
std::optional<FileIdentity> IdentityOf(std::FILE* file);
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
std::optional<FileIdentity> IdentityOfEntry(const std::string& path);

// Reads up to `size` bytes, going on after interrupted reads: fewer only at the
// end of the file or on an error, which `failed` then says.
struct ReadOutcome {
  std::size_t bytes = 0;
  bool failed = false;
};
ReadOutcome ReadBytes(std::FILE* file, char* data, std::size_t size);
// Back to `offset` bytes from the file's start, for a second reading; false when
// it cannot go back.
bool RewindFile(std::FILE* file, std::uint64_t offset = 0);

// A copy of everything the handle gives (standard input, say), in a file that
// vanishes with the program whatever ends it, read from its start: what comes
// through a pipe can then be read twice, with memory that stays flat. No file
// when the copy cannot be made, and why: the handle could not be read, or the
// temporary folder could not take the copy (full, say).
enum class CopyFailure { kNone, kReading, kWriting };
struct CopiedInput {
  OpenedFile copy;
  CopyFailure failure = CopyFailure::kNone;
  // Where the system has no unnamed files, the copy has a name until it is
  // removed; a copy that could not be removed is named here, for the user.
  std::string leftBehind;
};
CopiedInput CopyToUnnamedFile(OsHandle handle);

// ---- Writing a file whole -----------------------------------------------------

// Why a file could not take its place. Only Windows tells the first four apart;
// the reasons are said in the log, so that a user knows what to do.
enum class ReplaceFailure {
  kNone,
  kInUse,         // the earlier file is open in another program without sharing
  kReadOnly,      // the earlier file is read-only
  kFolderDenied,  // no file may be created in the folder
  kReservedName,  // the final name is a device name
  kOther,
};

// A file that replaces `finalPath` only once it is complete: "complete or
// absent". It is written beside its final place, under a short temporary name
// that fits wherever the final name fits (or with no name at all where the file
// system allows it), and renamed over the final name in one step by Commit.
// Whatever ends the program, an interrupt or a crash, leaves no temporary file
// where the system allows it (see PrepareProcess; on Linux even kill -9 leaves
// none, and on Windows the temporary file is marked for deletion while it is
// written). An earlier file of the final name stays whole until the rename, and
// stays as it was when the new one cannot take its place; the new one has its
// permissions, or takes no place at all (Open or Commit fails) when they could
// not be read or given.
// On POSIX, the environment variable QUELVANE_NAMED_TEMPORARIES (any value)
// makes every file take the named temporary path, as where the file system
// refuses unnamed files: the tests run that path and its cleanup through it.
class AtomicReplacement {
 public:
  explicit AtomicReplacement(std::string finalPath);
  ~AtomicReplacement();  // discards what was not committed
  AtomicReplacement(const AtomicReplacement&) = delete;
  AtomicReplacement& operator=(const AtomicReplacement&) = delete;

  // Creates the file; false when it cannot be created.
  bool Open();
  OsHandle Handle() const { return handle_; }
  const std::string& FinalPath() const { return finalPath_; }

  // Closes the file and puts it in place; durable: on disk before the rename
  // (the profile asks for it; outputs can be made again). False on any failure,
  // after which nothing of this file remains.
  bool Commit(bool durable = false);
  void Discard();
  // Why the last Open or Commit failed.
  ReplaceFailure Failure() const { return failure_; }

 private:
  std::string finalPath_;
  std::string tempPath_;  // named while it exists: removed on Discard and on interrupts
  OsHandle handle_ = OsHandle::kNone;
  bool unnamed_ = false;
  bool replacing_ = false;  // the final name was taken when the file was created
  ReplaceFailure failure_ = ReplaceFailure::kNone;
};

// ---- The profile --------------------------------------------------------------

// The folder that holds the user's settings: $XDG_CONFIG_HOME/quelvane, else
// ~/.config/quelvane; %APPDATA%\Quelvane on Windows. Empty when unknown.
std::string UserSettingsFolder();

// Settings files of earlier versions of the program, read while the user's own
// file does not exist yet, best first: on Windows QUELVANE.INI in the Windows
// folder (its per-user VirtualStore copy first); none on POSIX.
std::vector<std::string> EarlierSettingsFiles();

// Serialises the writers of one file: two programs that save their settings at
// once each read and rewrite it whole, one after the other. The lock is held on a
// file of its own (the path given), which a rename of the file it guards cannot
// replace; it is released when the object goes.
class FileLock {
 public:
  explicit FileLock(const std::string& lockPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return handle_ != OsHandle::kNone; }

 private:
  OsHandle handle_ = OsHandle::kNone;
};

// ---- Memory -------------------------------------------------------------------

// Asks for the memory of a large array not yet written to in huge pages, where the
// system gives them on request: a table of a million pairs fills some 60 MB, and
// each small page of it costs a fault when first written. Only the part that
// whole huge pages cover is concerned; a refusal changes nothing but the speed.
// Nothing on Windows, which gives large pages only to privileged programs.
void AdviseHugePages(void* data, std::size_t bytes);

}  // namespace quelvane
