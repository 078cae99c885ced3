#include "core/posix_file.h"

#include <fcntl.h>
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

namespace quelvane {
namespace {

FileIdentity IdentityFrom(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
          static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// The named temporary files that exist right now, for the signal handler: a
// process writes one output and at most one profile at a time. Fixed storage,
// since a handler may neither allocate nor lock.
struct TemporarySlot {
  std::atomic<bool> used{false};
  std::array<char, PATH_MAX> path{};
};
std::array<TemporarySlot, 4> temporaries;

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
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A short hidden name in the final file's folder: ".q" and six letters or digits.
// A final name has at least one character, so a folder that holds the final name
// holds this one too, whatever the final name's length.
std::string TemporaryName(const std::string& finalPath, unsigned attempt) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  static const auto process = static_cast<std::uint64_t>(::getpid()) << 20;
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  auto seed = static_cast<std::uint64_t>(now.tv_nsec) ^ process ^ (std::uint64_t{attempt} << 40);
  std::string name = ".q";
  for (int i = 0; i < 6; ++i) {
    name += kLetters[seed % kLetters.size()];
    seed = seed / kLetters.size() + seed * 2654435761U;
  }
  const std::size_t slash = finalPath.rfind('/');
  return slash == std::string::npos ? name : finalPath.substr(0, slash + 1) + name;
}

constexpr unsigned kNameAttempts = 100;

}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

OpenedFile OpenRegularFile(const std::string& path) {
  OpenedFile opened;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    opened.failure = (errno == ENOENT || errno == ENOTDIR) ? OpenFailure::kMissing
                     : (errno == EACCES || errno == EPERM) ? OpenFailure::kDenied
                                                           : OpenFailure::kOther;
    return opened;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    opened.failure = OpenFailure::kNotRegular;
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
  if (::fstat(::fileno(file), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

std::optional<FileIdentity> IdentityOfEntry(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityFrom(info);
}

FilePtr CopyToUnnamedFile(int fd) {
  const char* folder = std::getenv("TMPDIR");
  const std::string dir = folder != nullptr && *folder != '\0' ? folder : "/tmp";
  int copy = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (copy < 0) {
    std::string name = dir + "/quelvane-XXXXXX";
    copy = ::mkostemp(name.data(), O_CLOEXEC);
    if (copy < 0) return nullptr;
    ::unlink(name.c_str());
  }
  std::array<char, 1 << 16> block{};
  for (;;) {
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || (got > 0 && !WriteAll(copy, {block.data(), static_cast<std::size_t>(got)}))) {
      ::close(copy);
      return nullptr;
    }
    if (got == 0) break;
  }
  FilePtr file(::lseek(copy, 0, SEEK_SET) == 0 ? ::fdopen(copy, "rb") : nullptr);
  if (!file) ::close(copy);
  return file;
}

AtomicReplacement::AtomicReplacement(std::string finalPath) : finalPath_(std::move(finalPath)) {}

AtomicReplacement::~AtomicReplacement() {
  Discard();
}

bool AtomicReplacement::Open() {
  Discard();
  fd_ = ::open(FolderOf(finalPath_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  unnamed_ = fd_ >= 0;
  if (!unnamed_) {
    // The file system has no unnamed files: a named one, known to the handler
    // before it exists.
    const SignalsHeldBack held;
    for (unsigned attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
      tempPath_ = TemporaryName(finalPath_, attempt);
      if (!Register(tempPath_)) {
        tempPath_.clear();
        break;
      }
      fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ < 0) {
        Unregister(tempPath_);
        tempPath_.clear();
        if (errno != EEXIST) break;
      }
    }
    if (fd_ < 0) return false;
  }
  // Replacing a file keeps its permissions, as rewriting it in place would.
  struct stat existing {};
  replacing_ = ::stat(finalPath_.c_str(), &existing) == 0;
  if (replacing_ && S_ISREG(existing.st_mode)) ::fchmod(fd_, existing.st_mode & 07777);
  return true;
}

bool AtomicReplacement::LinkAs(const std::string& name) const {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
         (errno != EEXIST && ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0);
}

bool AtomicReplacement::GiveTemporaryName() {
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = TemporaryName(finalPath_, attempt);
    if (!Register(name)) return false;
    if (LinkAs(name)) {
      tempPath_ = std::move(name);
      return true;
    }
    const int error = errno;
    Unregister(name);
    if (error != EEXIST) return false;
  }
  return false;
}

bool AtomicReplacement::Commit(bool durable) {
  if (fd_ < 0) return false;
  const SignalsHeldBack held;
  bool ok = !durable || ::fsync(fd_) == 0;
  if (ok && unnamed_) {
    // A new file takes its name at once. A link never replaces a file, so an
    // earlier one is replaced through a short temporary name and a rename (also
    // when it appeared since Open; one that went since is simply not there).
    if (!replacing_ && LinkAs(finalPath_)) {
      const bool closed = ::close(fd_) == 0;
      fd_ = -1;
      if (!closed) ::unlink(finalPath_.c_str());
      return closed;
    }
    ok = (replacing_ || errno == EEXIST) && GiveTemporaryName();
  }
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = std::rename(tempPath_.c_str(), finalPath_.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
  Unregister(tempPath_);
  tempPath_.clear();
  return true;
}

void AtomicReplacement::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    Unregister(tempPath_);
    tempPath_.clear();
  }
}

void RemoveTemporariesOnSignals() {
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

void AdviseHugePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last > first)
    ::madvise(static_cast<char*>(data) + (first - start), last - first, MADV_HUGEPAGE);
}

}  // namespace quelvane
