// The operating-system layer on Windows: see os/os.h. UTF-8 inside the
// program, UTF-16 at every call (the wide functions only). Paths that would be
// too long for the classic limit take the \\?\ form.
// windows.h first: the other Windows headers build on it.
#include <windows.h>
// clang-format off
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "os/faults.h"
#include "os/os.h"
#include "os/wide_text.h"

namespace quelvane {
namespace {

// Each Windows call of this file that can fail while the programs run asks here
// first, so that the tests' fault sweep can fail it as a device error would
// (see os/faults.h).
bool Faulted(OsCall call) {
  if (!InjectedFault(call)) return false;
  ::SetLastError(ERROR_IO_DEVICE);
  return true;
}

HANDLE Win(OsHandle handle) {
  return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(handle));
}

OsHandle FromWin(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE || handle == nullptr
             ? OsHandle::kNone
             : static_cast<OsHandle>(reinterpret_cast<std::intptr_t>(handle));
}

static_assert(kClassicPathLimit == MAX_PATH - 12);

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD written = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (written == 0 || written >= size) return path;
  full.resize(written);
  return full;
}

// The path as Windows calls take it (WindowsCallPath).
std::wstring WidePath(std::string_view path) {
  const std::wstring wide = ToWide(path);
  return WindowsCallPath(wide, FullPath(wide));
}

// A full path for a rename, which takes no name relative to the current folder
// on every version of Windows.
std::wstring WideFullPath(std::string_view path) {
  const std::wstring wide = WidePath(path);
  if (wide.starts_with(LR"(\\?\)")) return wide;
  return FullPath(wide);
}

std::uint64_t Join(DWORD high, DWORD low) {
  return (std::uint64_t{high} << 32) | low;
}

FileIdentity IdentityFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  // FILETIME counts 100 ns from 1601.
  const std::uint64_t modified =
      Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  return {info.dwVolumeSerialNumber, Join(info.nFileIndexHigh, info.nFileIndexLow),
          Join(info.nFileSizeHigh, info.nFileSizeLow),
          static_cast<std::int64_t>(modified / 10000000),
          static_cast<std::int64_t>(modified % 10000000 * 100)};
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (Faulted(OsCall::kStat) || !::GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOpening(const std::string& path, DWORD flags) {
  if (IsReservedName(path)) return std::nullopt;
  // No access asked: the identity of a file another program holds is still known.
  if (Faulted(OsCall::kStat)) return std::nullopt;
  const HANDLE handle = ::CreateFileW(
      WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const auto identity = IdentityOfHandle(handle);
  ::CloseHandle(handle);
  return identity;
}

// A read-only stream over a handle this layer opened; the stream owns it.
FilePtr StreamOver(HANDLE handle) {
  const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  FilePtr file(::_fdopen(fd, "rb"));
  if (!file) {
    ::_close(fd);
    return nullptr;
  }
  // Every reader reads in blocks of its own.
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return file;
}

bool IsFileGone(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
}

// Another program holds the file without sharing it, whole or in part.
bool IsHeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

OpenFailure OpenFailureFor(DWORD error) {
  if (IsFileGone(error)) return OpenFailure::kMissing;
  if (error == ERROR_ACCESS_DENIED) return OpenFailure::kDenied;
  if (IsHeldByAnother(error)) return OpenFailure::kInUse;
  return OpenFailure::kOther;
}

// What Windows answers when a file may not be replaced now: another program
// holds it without sharing, or it is read-only.
bool IsRefusal(DWORD error) {
  return error == ERROR_ACCESS_DENIED || IsHeldByAnother(error);
}

// ---- Temporary files and interrupts ----------------------------------------

// The temporary files that exist right now, for the console's interrupt
// handler, which Windows runs on a thread of its own: the lock keeps a commit's
// unmark-and-rename and the handler apart, and the handler never gives it back,
// so that no output takes its name once an interrupt has come.
struct Temporary {
  std::wstring path;
  HANDLE handle;
};
SRWLOCK temporariesLock = SRWLOCK_INIT;
std::vector<Temporary>& Temporaries() {
  static std::vector<Temporary> temporaries;
  return temporaries;
}

class TemporariesHeld {
 public:
  TemporariesHeld() { ::AcquireSRWLockExclusive(&temporariesLock); }
  ~TemporariesHeld() { ::ReleaseSRWLockExclusive(&temporariesLock); }
  TemporariesHeld(const TemporariesHeld&) = delete;
  TemporariesHeld& operator=(const TemporariesHeld&) = delete;
};

void Unregister(HANDLE handle) {
  std::erase_if(Temporaries(), [&](const Temporary& t) { return t.handle == handle; });
}

void UnregisterName(const std::wstring& path) {
  std::erase_if(Temporaries(), [&](const Temporary& t) {
    return t.handle == INVALID_HANDLE_VALUE && t.path == path;
  });
}

// Marks an open file for deletion when its last handle closes, or takes the mark
// back. False where the file system does not allow it.
bool MarkForDeletion(HANDLE handle, bool deleted) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = deleted ? TRUE : FALSE;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &info, sizeof info) != 0;
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT &&
      event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
    return FALSE;
  }
  // Kept until the process ends: no output takes its name from now on.
  ::AcquireSRWLockExclusive(&temporariesLock);
  for (const Temporary& temporary : Temporaries()) {
    MarkForDeletion(temporary.handle, true);
    ::DeleteFileW(temporary.path.c_str());
  }
  // Ended at once, with the status Windows' own handler gives (wine's would say
  // 0): nothing is left to do, and the main thread may hold locks that a normal
  // exit would wait for.
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
  ::ReleaseSRWLockExclusive(&temporariesLock);
  return FALSE;
}

std::string TemporaryName(const std::string& finalPath, unsigned attempt) {
  static std::atomic<std::uint64_t> counter{0};
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  const auto seed = static_cast<std::uint64_t>(now.QuadPart) ^
                    (std::uint64_t{::GetCurrentProcessId()} << 20) ^
                    (std::uint64_t{attempt} << 40) ^ (counter.fetch_add(1) << 48);
  return TemporaryNameIn(SplitPath(finalPath).folder, seed);
}

constexpr unsigned kNameAttempts = 100;

bool IsReadOnlyFile(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Renames the open file over `target` in one step, through its handle.
bool RenameByHandle(HANDLE handle, const std::wstring& target) {
  const std::size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
  std::vector<std::uint64_t> storage(bytes / sizeof(std::uint64_t) + 1);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
  return ::SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(bytes)) != 0;
}

// Where the settings folders of the user are: the environment first, as
// Windows sets it for every program, else the shell's known folder.
std::string KnownFolder(const KNOWNFOLDERID& id, std::string_view variable) {
  if (std::string value = EnvironmentVariable(variable); !value.empty()) return value;
  PWSTR path = nullptr;
  std::string folder;
  if (::SHGetKnownFolderPath(id, 0, nullptr, &path) == S_OK) folder = FromWide(path);
  ::CoTaskMemFree(path);
  return folder;
}

}  // namespace

// ---- Handles and writing ----------------------------------------------------

OsHandle StandardInput() {
  return FromWin(::GetStdHandle(STD_INPUT_HANDLE));
}

OsHandle StandardOutput() {
  return FromWin(::GetStdHandle(STD_OUTPUT_HANDLE));
}

OsHandle StandardError() {
  return FromWin(::GetStdHandle(STD_ERROR_HANDLE));
}

OsHandle HandleOf(std::FILE* file) {
  return static_cast<OsHandle>(::_get_osfhandle(::_fileno(file)));
}

WriteOutcome WriteBytes(OsHandle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (Faulted(OsCall::kWrite) ||
        !::WriteFile(Win(handle), bytes.data(), chunk, &written, nullptr)) {
      const DWORD error = ::GetLastError();
      return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ? WriteOutcome::kReaderGone
                                                                  : WriteOutcome::kFailed;
    }
    if (written == 0) return WriteOutcome::kFailed;
    bytes.remove_prefix(written);
  }
  return WriteOutcome::kWritten;
}

StandardStreamWriter::StandardStreamWriter(OsHandle handle)
    : handle_(handle), console_(IsTerminal(handle)) {}

WriteOutcome StandardStreamWriter::Write(std::string_view text) {
  if (!console_) return WriteBytes(handle_, text);
  std::string bytes = std::move(pendingCharacter_);
  pendingCharacter_.clear();
  bytes.append(text);
  const std::size_t lead = WholeUtf8Length(bytes);
  pendingCharacter_ = bytes.substr(lead);
  const std::wstring wide = ToWide(std::string_view(bytes).substr(0, lead));
  std::wstring_view rest = wide;
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 8192));
    if (!::WriteConsoleW(Win(handle_), rest.data(), chunk, &written, nullptr) || written == 0) {
      return WriteOutcome::kFailed;
    }
    rest.remove_prefix(written);
  }
  return WriteOutcome::kWritten;
}

bool IsTerminal(OsHandle handle) {
  DWORD mode = 0;
  return handle != OsHandle::kNone && ::GetConsoleMode(Win(handle), &mode) != 0;
}

// ---- The process ------------------------------------------------------------

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) arguments.push_back(FromWide(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

std::vector<bool> WildcardArguments(const std::vector<std::string>& arguments) {
  // CommandLineToArgvW tells no quoted word from another: the line is split again
  // by the same rules, and trusted only where it gives the same words.
  const std::vector<CommandLineWord> words = SplitWindowsCommandLine(FromWide(::GetCommandLineW()));
  std::vector<bool> patterns(arguments.size(), false);
  if (words.size() != arguments.size()) return patterns;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i].text != arguments[i]) return std::vector<bool>(arguments.size(), false);
    patterns[i] = i > 0 && !words[i].quoted && HasWildcard(words[i].text);
  }
  return patterns;
}

void PrepareProcess() {
  static std::atomic<bool> prepared{false};
  if (prepared.exchange(true)) return;
  // A drive without a disk is a file that cannot be opened, not a box to answer.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool CanStartThreads() {
  return true;
}

std::string EnvironmentVariable(std::string_view name) {
  const std::wstring wideName = ToWide(name);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD written = ::GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
  if (written == 0 || written >= size) return {};
  value.resize(written);
  return FromWide(value);
}

// ---- Paths --------------------------------------------------------------------

PathParts SplitPath(std::string_view path) {
  return SplitWindowsPath(path);
}

char PathSeparator() {
  return '\\';
}

std::string NameKey(std::string_view name) {
  // Windows compares names as its file systems do: each character in upper case.
  std::wstring wide = ToWide(name);
  if (!wide.empty()) {
    ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  }
  return FromWide(wide);
}

std::filesystem::path PathFromUtf8(std::string_view path) {
  return std::filesystem::path(ToWide(path));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return FromWide(path.native());
}

bool IsFolder(const std::string& path) {
  if (Faulted(OsCall::kStat)) return false;
  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW entry{};
  const HANDLE listing =
      ::FindFirstFileExW(WidePath(JoinPath(folder, "*")).c_str(), FindExInfoBasic, &entry,
                         FindExSearchNameMatch, nullptr, 0);
  if (listing == INVALID_HANDLE_VALUE) return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(FromWide(entry.cFileName));
    }
  } while (::FindNextFileW(listing, &entry));
  ::FindClose(listing);
  return names;
}

bool CreateFolders(const std::string& path) {
  if (Faulted(OsCall::kCreateFolder)) return false;
  if (path.empty() || IsFolder(path)) return !path.empty();
  std::string_view trimmed = path;
  while (trimmed.size() > 1 && SplitPath(trimmed).name.empty()) trimmed.remove_suffix(1);
  const std::string_view parent = SplitPath(trimmed).folder;
  if (!parent.empty() && parent.size() < trimmed.size()) CreateFolders(std::string(parent));
  ::CreateDirectoryW(WidePath(trimmed).c_str(), nullptr);
  return IsFolder(path);
}

std::string WhereLinkPoints(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WidePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return path;
  }
  const HANDLE handle = ::CreateFileW(WidePath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring target(32768, L'\0');
  const DWORD size =
      ::GetFinalPathNameByHandleW(handle, target.data(), static_cast<DWORD>(target.size()), 0);
  ::CloseHandle(handle);
  if (size == 0 || size >= target.size()) return path;
  target.resize(size);
  return FromWide(target);
}

// ---- Reading ------------------------------------------------------------------

bool IsReservedName(std::string_view path) {
  return IsWindowsDeviceName(path);
}

OpenedFile OpenRegularFile(const std::string& path) {
  OpenedFile opened;
  if (IsReservedName(path)) {
    opened.failure = OpenFailure::kReservedName;
    return opened;
  }
  const std::wstring wide = WidePath(path);
  // A folder is refused before it is opened (opening one asks for a flag of its own).
  if (IsFolder(path)) {
    opened.failure = OpenFailure::kFolder;
    return opened;
  }
  // Others may go on reading, writing, renaming: a change while it is read is
  // seen by its identity, as on every system.
  const HANDLE handle =
      Faulted(OsCall::kOpen)
          ? INVALID_HANDLE_VALUE
          : ::CreateFileW(
                wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    opened.failure = OpenFailureFor(::GetLastError());
    return opened;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (Faulted(OsCall::kStat) || !::GetFileInformationByHandle(handle, &info)) {
    ::CloseHandle(handle);
    opened.failure = OpenFailure::kOther;
    return opened;
  }
  if (::GetFileType(handle) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::CloseHandle(handle);
    opened.failure = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                         ? OpenFailure::kFolder
                         : OpenFailure::kNotRegular;
    return opened;
  }
  opened.file = StreamOver(handle);
  opened.identity = IdentityFrom(info);
  return opened;
}

std::optional<FileIdentity> IdentityOf(std::FILE* file) {
  return IdentityOfHandle(Win(HandleOf(file)));
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  return IdentityOpening(path, 0);
}

std::optional<FileIdentity> IdentityOfEntry(const std::string& path) {
  return IdentityOpening(path, FILE_FLAG_OPEN_REPARSE_POINT);
}

ReadOutcome ReadBytes(std::FILE* file, char* data, std::size_t size) {
  ReadOutcome outcome;
  if (Faulted(OsCall::kRead)) {
    outcome.failed = true;
    return outcome;
  }
  outcome.bytes = std::fread(data, 1, size, file);
  outcome.failed = std::ferror(file) != 0;
  std::clearerr(file);
  return outcome;
}

bool RewindFile(std::FILE* file, std::uint64_t offset) {
  std::clearerr(file);
  return !Faulted(OsCall::kSeek) && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

CopiedInput CopyToUnnamedFile(OsHandle source) {
  CopiedInput copied;
  copied.failure = CopyFailure::kWriting;
  std::wstring folder(MAX_PATH + 1, L'\0');
  const DWORD size = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
  if (size == 0 || size > folder.size()) return copied;
  folder.resize(size);
  // Deleted when its handle closes, whatever ends the program.
  HANDLE copy = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < kNameAttempts && copy == INVALID_HANDLE_VALUE; ++attempt) {
    const std::string name(SplitPath(TemporaryName("x", attempt)).name);
    copy = Faulted(OsCall::kOpen)
               ? INVALID_HANDLE_VALUE
               : ::CreateFileW((folder + L"quelvane-" + ToWide(name.substr(2))).c_str(),
                               GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                               nullptr);
    if (copy == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return copied;
  }
  if (copy == INVALID_HANDLE_VALUE) return copied;
  std::vector<char> block(std::size_t{1} << 16);
  for (;;) {
    DWORD got = 0;
    if (Faulted(OsCall::kRead) ||
        !::ReadFile(Win(source), block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) {
      if (::GetLastError() == ERROR_BROKEN_PIPE) break;  // the writer's end: all is there
      ::CloseHandle(copy);
      copied.failure = CopyFailure::kReading;
      return copied;
    }
    if (got == 0) break;
    if (!WriteAll(FromWin(copy), {block.data(), got})) {
      ::CloseHandle(copy);
      return copied;
    }
  }
  LARGE_INTEGER start{};
  const auto identity = IdentityOfHandle(copy);
  if (!identity || Faulted(OsCall::kSeek) ||
      !::SetFilePointerEx(copy, start, nullptr, FILE_BEGIN)) {
    ::CloseHandle(copy);
    return copied;
  }
  copied.copy.file = StreamOver(copy);
  if (!copied.copy.file) return copied;
  copied.copy.identity = *identity;
  copied.failure = CopyFailure::kNone;
  return copied;
}

// ---- Writing a file whole -----------------------------------------------------

AtomicReplacement::AtomicReplacement(std::string finalPath) : finalPath_(std::move(finalPath)) {}

AtomicReplacement::~AtomicReplacement() {
  Discard();
}

bool AtomicReplacement::Open() {
  Discard();
  if (IsReservedName(finalPath_)) {
    failure_ = ReplaceFailure::kReservedName;
    return false;
  }
  failure_ = ReplaceFailure::kOther;
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryName(finalPath_, attempt);
    const std::wstring wide = WidePath(name);
    const TemporariesHeld held;
    // DELETE: to be marked for deletion and renamed through the handle.
    // Others may only delete it: the interrupt handler's last resort.
    handle = Faulted(OsCall::kOpen)
                 ? INVALID_HANDLE_VALUE
                 : ::CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      // While it is written, the file goes with its handle, even when the
      // program is killed.
      unnamed_ = MarkForDeletion(handle, true);
      Temporaries().push_back({wide, handle});
      tempPath_ = std::move(name);
      break;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) {
      failure_ = ReplaceFailure::kFolderDenied;
      return false;
    }
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = FromWin(handle);
  replacing_ = ::GetFileAttributesW(WidePath(finalPath_).c_str()) != INVALID_FILE_ATTRIBUTES;
  failure_ = ReplaceFailure::kNone;
  return true;
}

bool AtomicReplacement::Commit(bool durable) {
  if (handle_ == OsHandle::kNone) return false;
  const HANDLE handle = Win(handle_);
  failure_ = ReplaceFailure::kOther;
  if (durable && (Faulted(OsCall::kSync) || !::FlushFileBuffers(handle))) {
    Discard();
    return false;
  }
  const std::wstring target = WideFullPath(finalPath_);
  // Windows never renames over a read-only file: it stays, and says why.
  if (IsReadOnlyFile(target)) {
    failure_ = ReplaceFailure::kReadOnly;
    Discard();
    return false;
  }
  bool renamed = false;
  DWORD error = ERROR_SUCCESS;
  {
    const TemporariesHeld held;
    // The mark comes off just before the rename; Discard puts it back.
    if (!unnamed_ || MarkForDeletion(handle, false)) {
      renamed = !Faulted(OsCall::kRename) && RenameByHandle(handle, target);
      error = renamed ? ERROR_SUCCESS : ::GetLastError();
      if (!renamed && !IsRefusal(error)) {
        // A file system that cannot rename through a handle: by name, once
        // closed (the handler then knows the file by its name only).
        Unregister(handle);
        Temporaries().push_back({WidePath(tempPath_), INVALID_HANDLE_VALUE});
        ::CloseHandle(handle);
        handle_ = OsHandle::kNone;
        renamed = !Faulted(OsCall::kRename) &&
                  ::MoveFileExW(WidePath(tempPath_).c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        error = renamed ? ERROR_SUCCESS : ::GetLastError();
      }
      if (renamed && handle_ != OsHandle::kNone) {
        Unregister(handle);
        ::CloseHandle(handle);
      } else if (renamed) {
        UnregisterName(WidePath(tempPath_));
      }
    }
  }
  if (renamed) {
    handle_ = OsHandle::kNone;
    tempPath_.clear();
    failure_ = ReplaceFailure::kNone;
    return true;
  }
  if (IsRefusal(error) && !IsFolder(finalPath_)) {
    failure_ = IsReadOnlyFile(target) ? ReplaceFailure::kReadOnly : ReplaceFailure::kInUse;
  }
  Discard();
  return false;
}

void AtomicReplacement::Discard() {
  const TemporariesHeld held;
  if (handle_ != OsHandle::kNone) {
    const HANDLE handle = Win(handle_);
    MarkForDeletion(handle, true);
    Unregister(handle);
    ::CloseHandle(handle);
    handle_ = OsHandle::kNone;
  }
  if (!tempPath_.empty()) {
    ::DeleteFileW(WidePath(tempPath_).c_str());
    UnregisterName(WidePath(tempPath_));
    tempPath_.clear();
  }
}

// ---- The profile --------------------------------------------------------------

std::string UserSettingsFolder() {
  const std::string appData = KnownFolder(FOLDERID_RoamingAppData, "APPDATA");
  return appData.empty() ? std::string() : JoinPath(appData, "Quelvane");
}

std::vector<std::string> EarlierSettingsFiles() {
  std::vector<std::string> files;
  std::wstring windows(MAX_PATH + 1, L'\0');
  const UINT size = ::GetSystemWindowsDirectoryW(windows.data(), static_cast<UINT>(windows.size()));
  if (size == 0 || size > windows.size()) return files;
  windows.resize(size);
  // A 32-bit program that wrote to the Windows folder without the right to had
  // its file put in the user's VirtualStore, which it then read first.
  const std::string local = KnownFolder(FOLDERID_LocalAppData, "LOCALAPPDATA");
  const std::string folder = FromWide(windows);
  if (!local.empty() && folder.size() > 2 && folder[1] == ':') {
    files.push_back(
        JoinPath(JoinPath(JoinPath(local, "VirtualStore"), folder.substr(3)), "QUELVANE.INI"));
  }
  files.push_back(JoinPath(folder, "QUELVANE.INI"));
  return files;
}

FileLock::FileLock(const std::string& lockPath) {
  const HANDLE handle =
      Faulted(OsCall::kOpen)
          ? INVALID_HANDLE_VALUE
          : ::CreateFileW(WidePath(lockPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  OVERLAPPED whole{};
  if (Faulted(OsCall::kLock) ||
      !::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    ::CloseHandle(handle);
    return;
  }
  handle_ = FromWin(handle);
}

FileLock::~FileLock() {
  if (handle_ != OsHandle::kNone) ::CloseHandle(Win(handle_));  // closing releases the lock
}

// ---- Memory -------------------------------------------------------------------

void AdviseHugePages(void* /*data*/, std::size_t /*bytes*/) {}

// ---- Text at the Windows API (os/wide_text.h) --------------------------

std::wstring ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

}  // namespace quelvane
