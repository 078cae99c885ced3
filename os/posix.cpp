// The operating-system layer on POSIX systems (Linux): see os/os.h.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <system_error>

#include "os/faults.h"
#include "os/os.h"

namespace quelvane {
namespace {

// Each system call of this file that can fail while the programs run asks here
// first, so that the tests' fault sweep can fail it as an input/output error
// would (see os/faults.h).
bool Faulted(OsCall call) {
  if (!InjectedFault(call)) return false;
  errno = EIO;
  return true;
}

int Fd(OsHandle handle) {
  return static_cast<int>(handle);
}

OsHandle HandleFromFd(int fd) {
  return fd < 0 ? OsHandle::kNone : static_cast<OsHandle>(fd);
}

FileIdentity IdentityFrom(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
          static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// The named temporary files that exist right now, for the signal handler: a
// process writes an output per job (64 at most) and at most one profile at a
// time. Fixed storage, since a handler may neither allocate nor lock.
struct TemporarySlot {
  std::atomic<bool> used{false};
  std::array<char, PATH_MAX> path{};
};
std::array<TemporarySlot, 66> temporaries;

bool Register(const std::string& path) {
  if (path.size() >= PATH_MAX) return false;
  for (TemporarySlot& slot : temporaries) {
    bool expected = false;
    if (slot.used.load(std::memory_order_acquire)) continue;
    std::memcpy(slot.path.data(), path.c_str(), path.size() + 1);
    if (slot.used.compare_exchange_strong(expected, true, std::memory_order_acq_rel)) return true;
  }
  return false;
}

void Unregister(const std::string& path) {
  for (TemporarySlot& slot : temporaries) {
    if (slot.used.load(std::memory_order_acquire) && path == slot.path.data()) {
      slot.used.store(false, std::memory_order_release);
    }
  }
}

void OnTerminatingSignal(int signalNumber) {
  for (TemporarySlot& slot : temporaries) {
    if (slot.used.load(std::memory_order_acquire)) ::unlink(slot.path.data());
  }
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

constexpr std::array kTerminatingSignals = {SIGINT, SIGTERM, SIGHUP};

// Holds the terminating signals back while a temporary name appears and is
// registered, or is renamed away: a signal then arrives once the name is known
// to the handler, or once the file is in its place.
class SignalsHeldBack {
 public:
  SignalsHeldBack() {
    sigset_t held;
    sigemptyset(&held);
    for (int signalNumber : kTerminatingSignals) sigaddset(&held, signalNumber);
    ::sigprocmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeldBack() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeldBack(const SignalsHeldBack&) = delete;
  SignalsHeldBack& operator=(const SignalsHeldBack&) = delete;

 private:
  sigset_t previous_{};
};

std::string FolderOf(const std::string& path) {
  const std::string_view folder = SplitPath(path).folder;
  return folder.empty() ? "." : std::string(folder);
}

std::string TemporaryName(const std::string& finalPath, unsigned attempt) {
  static const auto process = static_cast<std::uint64_t>(::getpid()) << 20;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const auto seed =
      static_cast<std::uint64_t>(now.tv_nsec) ^ process ^ (std::uint64_t{attempt} << 40);
  return TemporaryNameIn(SplitPath(finalPath).folder, seed);
}

// The set variable QUELVANE_NAMED_TEMPORARIES (any value) makes the files of this
// process take the path of a file system without unnamed files (O_TMPFILE): a
// named temporary file, removed on Discard or by the signal handler. The tests
// run that path through it on any machine. Read once, when the first file is made.
int OpenUnnamed(const std::string& folder, int flags, mode_t mode) {
  static const bool refused = std::getenv("QUELVANE_NAMED_TEMPORARIES") != nullptr;
  if (refused) {
    errno = EOPNOTSUPP;
    return -1;
  }
  if (Faulted(OsCall::kOpen)) return -1;
  return ::open(folder.c_str(), O_TMPFILE | flags, mode);
}

constexpr unsigned kNameAttempts = 100;

bool WriteAllToFd(int fd, std::string_view bytes) {
  return WriteBytes(HandleFromFd(fd), bytes) == WriteOutcome::kWritten;
}

bool LinkAs(int fd, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (Faulted(OsCall::kLink)) return false;
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
         (errno != EEXIST && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0);
}

// Gives an unnamed file a short temporary name, known to the signal handler.
std::optional<std::string> GiveTemporaryName(int fd, const std::string& finalPath) {
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryName(finalPath, attempt);
    if (!Register(name)) return std::nullopt;
    if (LinkAs(fd, name)) return name;
    const int error = errno;
    Unregister(name);
    if (error != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

OsHandle StandardInput() {
  return HandleFromFd(STDIN_FILENO);
}

OsHandle StandardOutput() {
  return HandleFromFd(STDOUT_FILENO);
}

OsHandle StandardError() {
  return HandleFromFd(STDERR_FILENO);
}

OsHandle HandleOf(std::FILE* file) {
  return HandleFromFd(::fileno(file));
}

WriteOutcome WriteBytes(OsHandle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written =
        Faulted(OsCall::kWrite) ? -1 : ::write(Fd(handle), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno == EPIPE ? WriteOutcome::kReaderGone : WriteOutcome::kFailed;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return WriteOutcome::kWritten;
}

StandardStreamWriter::StandardStreamWriter(OsHandle handle) : handle_(handle) {}

WriteOutcome StandardStreamWriter::Write(std::string_view text) {
  return WriteBytes(handle_, text);
}

bool IsTerminal(OsHandle handle) {
  return ::isatty(Fd(handle)) != 0;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return {argv, argv + argc};
}

std::vector<bool> WildcardArguments(const std::vector<std::string>& arguments) {
  return std::vector<bool>(arguments.size(), false);
}

bool CanStartThreads() {
  return true;
}

std::string EnvironmentVariable(std::string_view name) {
  return EnvOrEmpty(std::string(name).c_str());
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !Faulted(OsCall::kStat) && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* const listing = ::opendir(folder.empty() ? "." : folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || IsFolder(JoinPath(folder, name))) continue;
    names.push_back(name);
  }
  ::closedir(listing);
  return names;
}

bool CreateFolders(const std::string& path) {
  if (Faulted(OsCall::kCreateFolder)) return false;
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
  return IsFolder(path);
}

std::string WhereLinkPoints(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const auto resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

OpenedFile OpenRegularFile(const std::string& path) {
  OpenedFile opened;
  const int fd = Faulted(OsCall::kOpen)
                     ? -1
                     : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    opened.failure = (errno == ENOENT || errno == ENOTDIR) ? OpenFailure::kMissing
                     : (errno == EACCES || errno == EPERM) ? OpenFailure::kDenied
                     : errno == EISDIR                     ? OpenFailure::kFolder
                                                           : OpenFailure::kOther;
    return opened;
  }
  struct stat info {};
  const bool described = !Faulted(OsCall::kStat) && ::fstat(fd, &info) == 0;
  if (!described || !S_ISREG(info.st_mode)) {
    ::close(fd);
    opened.failure = !described              ? OpenFailure::kOther
                     : S_ISDIR(info.st_mode) ? OpenFailure::kFolder
                                             : OpenFailure::kNotRegular;
    return opened;
  }
  // The flag only kept the open from waiting: reads of a regular file ignore it.
  opened.file.reset(::fdopen(fd, "rb"));
  if (!opened.file) {
    ::close(fd);
    return opened;
  }
  // Every reader reads in blocks of its own: a stream buffer would only cost a
  // stat and an allocation per file, and a copy.
  std::setvbuf(opened.file.get(), nullptr, _IONBF, 0);
  opened.identity = IdentityFrom(info);
  return opened;
}

std::optional<FileIdentity> IdentityOf(std::FILE* file) {
  struct stat info {};
  if (Faulted(OsCall::kStat) || ::fstat(::fileno(file), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat info {};
  if (Faulted(OsCall::kStat) || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOfEntry(const std::string& path) {
  struct stat info {};
  if (Faulted(OsCall::kStat) || ::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

ReadOutcome ReadBytes(std::FILE* file, char* data, std::size_t size) {
  ReadOutcome outcome;
  while (outcome.bytes < size) {
    if (Faulted(OsCall::kRead)) {
      outcome.failed = true;
      break;
    }
    outcome.bytes += std::fread(data + outcome.bytes, 1, size - outcome.bytes, file);
    // A short read without an error is the end of the file.
    if (outcome.bytes == size || !std::ferror(file)) break;
    // A signal that came during the read is no reason to stop reading.
    const bool interrupted = errno == EINTR;
    std::clearerr(file);
    if (!interrupted) {
      outcome.failed = true;
      break;
    }
  }
  return outcome;
}

bool RewindFile(std::FILE* file, std::uint64_t offset) {
  std::clearerr(file);
  return !Faulted(OsCall::kSeek) && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

CopiedInput CopyToUnnamedFile(OsHandle handle) {
  const int fd = Fd(handle);
  CopiedInput copied;
  copied.failure = CopyFailure::kWriting;
  const char* folder = std::getenv("TMPDIR");
  const std::string dir = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  int copy = OpenUnnamed(dir, O_RDWR | O_CLOEXEC, 0600);
  if (copy < 0) {
    std::string name = dir + "/quelvane-XXXXXX";
    copy = Faulted(OsCall::kOpen) ? -1 : ::mkostemp(name.data(), O_CLOEXEC);
    if (copy < 0) return copied;
    if (Faulted(OsCall::kRemove) || ::unlink(name.c_str()) != 0) copied.leftBehind = name;
  }
  std::array<char, 1 << 16> block{};
  for (;;) {
    const ssize_t got = Faulted(OsCall::kRead) ? -1 : ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) copied.failure = CopyFailure::kReading;
    if (got < 0 ||
        (got > 0 && !WriteAllToFd(copy, {block.data(), static_cast<std::size_t>(got)}))) {
      ::close(copy);
      return copied;
    }
    if (got == 0) break;
  }
  struct stat info {};
  copied.copy.file.reset(!Faulted(OsCall::kSeek) && ::lseek(copy, 0, SEEK_SET) == 0 &&
                                 !Faulted(OsCall::kStat) && ::fstat(copy, &info) == 0
                             ? ::fdopen(copy, "rb")
                             : nullptr);
  if (!copied.copy.file) {
    ::close(copy);
    return copied;
  }
  std::setvbuf(copied.copy.file.get(), nullptr, _IONBF, 0);
  copied.copy.identity = IdentityFrom(info);
  copied.failure = CopyFailure::kNone;
  return copied;
}

AtomicReplacement::AtomicReplacement(std::string finalPath) : finalPath_(std::move(finalPath)) {}

AtomicReplacement::~AtomicReplacement() {
  Discard();
}

bool AtomicReplacement::Open() {
  Discard();
  failure_ = ReplaceFailure::kOther;
  int fd = OpenUnnamed(FolderOf(finalPath_), O_WRONLY | O_CLOEXEC, 0666);
  unnamed_ = fd >= 0;
  if (!unnamed_) {
    // The file system has no unnamed files: a named one, known to the handler
    // before it exists.
    const SignalsHeldBack held;
    for (unsigned attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
      tempPath_ = TemporaryName(finalPath_, attempt);
      if (!Register(tempPath_)) {
        tempPath_.clear();
        break;
      }
      fd = Faulted(OsCall::kOpen)
               ? -1
               : ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0) {
        Unregister(tempPath_);
        tempPath_.clear();
        if (errno != EEXIST) break;
      }
    }
    if (fd < 0) return false;
  }
  handle_ = HandleFromFd(fd);
  // Replacing a file keeps its permissions, as rewriting it in place would: a
  // file the user keeps private never comes back readable by all. When they
  // cannot be known or given, the earlier file stays.
  struct stat existing {};
  replacing_ = !Faulted(OsCall::kStat) && ::stat(finalPath_.c_str(), &existing) == 0;
  if (!replacing_ && errno != ENOENT && errno != ENOTDIR) {
    Discard();
    return false;
  }
  if (replacing_ && S_ISREG(existing.st_mode) &&
      (Faulted(OsCall::kPermissions) || ::fchmod(fd, existing.st_mode & 07777) != 0)) {
    Discard();
    return false;
  }
  failure_ = ReplaceFailure::kNone;
  return true;
}

bool AtomicReplacement::Commit(bool durable) {
  if (handle_ == OsHandle::kNone) return false;
  const int fd = Fd(handle_);
  const SignalsHeldBack held;
  failure_ = ReplaceFailure::kOther;
  bool ok = !durable || (!Faulted(OsCall::kSync) && ::fsync(fd) == 0);
  if (ok && unnamed_) {
    // A new file takes its name at once. A link never replaces a file, so an
    // earlier one is replaced through a short temporary name and a rename (also
    // when it appeared since Open; one that went since is simply not there).
    if (!replacing_ && LinkAs(fd, finalPath_)) {
      const bool closed = ::close(fd) == 0 && !Faulted(OsCall::kClose);
      handle_ = OsHandle::kNone;
      if (!closed) ::unlink(finalPath_.c_str());
      if (closed) failure_ = ReplaceFailure::kNone;
      return closed;
    }
    std::optional<std::string> named;
    if (replacing_ || errno == EEXIST) named = GiveTemporaryName(fd, finalPath_);
    ok = named.has_value();
    if (named) tempPath_ = std::move(*named);
  }
  ok = ::close(fd) == 0 && !Faulted(OsCall::kClose) && ok;
  handle_ = OsHandle::kNone;
  if (ok) ok = !Faulted(OsCall::kRename) && std::rename(tempPath_.c_str(), finalPath_.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
  Unregister(tempPath_);
  tempPath_.clear();
  failure_ = ReplaceFailure::kNone;
  return true;
}

void AtomicReplacement::Discard() {
  if (handle_ != OsHandle::kNone) {
    ::close(Fd(handle_));
    handle_ = OsHandle::kNone;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    Unregister(tempPath_);
    tempPath_.clear();
  }
}

void PrepareProcess() {
  // A closed pipe must not kill a run half-way through a file.
  std::signal(SIGPIPE, SIG_IGN);
  for (int signalNumber : kTerminatingSignals) {
    struct sigaction current {};
    ::sigaction(signalNumber, nullptr, &current);
    // A program started with a signal ignored (nohup) keeps it ignored.
    if (current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnTerminatingSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

std::string UserSettingsFolder() {
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  if (std::string config = EnvOrEmpty("XDG_CONFIG_HOME"); config.starts_with('/')) {
    return (std::filesystem::path(config) / "quelvane").string();
  }
  std::string home = EnvOrEmpty("HOME");
  if (home.empty()) {
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
      home = user->pw_dir;
    }
  }
  return (std::filesystem::path(home) / ".config" / "quelvane").string();
}

std::vector<std::string> EarlierSettingsFiles() {
  return {};
}

FileLock::FileLock(const std::string& lockPath) {
  const int fd =
      Faulted(OsCall::kOpen) ? -1 : ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  while (Faulted(OsCall::kLock) || ::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd);
      return;
    }
  }
  handle_ = HandleFromFd(fd);
}

FileLock::~FileLock() {
  if (handle_ != OsHandle::kNone) ::close(Fd(handle_));  // closing releases the lock
}

void AdviseHugePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first)
    ::madvise(static_cast<char*>(data) + (first - start), last - first, MADV_HUGEPAGE);
}

}  // namespace quelvane
