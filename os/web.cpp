// The operating-system layer in a web browser (WebAssembly): see os/os.h.
// Files are the page's memory files: the files a user chose are read in place
// from the browser, outputs and the settings file live in memory until the page
// takes them. One program runs in the page's worker at a time, nothing can
// interrupt it half-way through a write, and no other program shares its files:
// there are no signals to catch, no locks to take and no unnamed files. Outputs
// are still written aside under a temporary name and renamed whole, so that the
// page never sees half a file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

// The browser has no console and no unnamed files: the members that the other
// systems keep for them are not used here.
#pragma clang diagnostic ignored "-Wunused-private-field"
#include "os/os.h"

namespace quelvane {
namespace {

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

// The page's files live in its memory alone: a count gives each output a name
// no other takes.
std::string TemporaryName(const std::string& finalPath, unsigned attempt) {
  static std::uint64_t counter = 0;
  return TemporaryNameIn(SplitPath(finalPath).folder, (++counter << 8) ^ attempt);
}

constexpr unsigned kNameAttempts = 100;

FilePtr Unbuffered(int fd) {
  FilePtr file(::fdopen(fd, "rb"));
  if (!file) {
    ::close(fd);
    return file;
  }
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  return file;
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
    const ssize_t written = ::write(Fd(handle), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return WriteOutcome::kFailed;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return WriteOutcome::kWritten;
}

StandardStreamWriter::StandardStreamWriter(OsHandle handle) : handle_(handle) {}

WriteOutcome StandardStreamWriter::Write(std::string_view text) {
  return WriteBytes(handle_, text);
}

bool IsTerminal(OsHandle /*handle*/) {
  return false;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return {argv, argv + argc};
}

std::vector<bool> WildcardArguments(const std::vector<std::string>& arguments) {
  return std::vector<bool>(arguments.size(), false);
}

void PrepareProcess() {}

bool CanStartThreads() {
  return false;
}

std::string EnvironmentVariable(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value == nullptr ? std::string() : std::string(value);
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFolders(const std::string& path) {
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
  return IsFolder(path);
}

std::vector<std::string> FileNamesIn(const std::string& /*folder*/) {
  return {};  // the page names its files itself
}

std::string WhereLinkPoints(const std::string& path) {
  return path;  // the page makes no links
}

OpenedFile OpenRegularFile(const std::string& path) {
  OpenedFile opened;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    opened.failure = (errno == ENOENT || errno == ENOTDIR) ? OpenFailure::kMissing
                     : (errno == EACCES || errno == EPERM) ? OpenFailure::kDenied
                                                           : OpenFailure::kOther;
    return opened;
  }
  struct stat info {};
  const bool described = ::fstat(fd, &info) == 0;
  if (!described || !S_ISREG(info.st_mode)) {
    ::close(fd);
    opened.failure = !described              ? OpenFailure::kOther
                     : S_ISDIR(info.st_mode) ? OpenFailure::kFolder
                                             : OpenFailure::kNotRegular;
    return opened;
  }
  opened.file = Unbuffered(fd);
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

ReadOutcome ReadBytes(std::FILE* file, char* data, std::size_t size) {
  ReadOutcome outcome;
  outcome.bytes = std::fread(data, 1, size, file);
  outcome.failed = std::ferror(file) != 0;
  std::clearerr(file);
  return outcome;
}

bool RewindFile(std::FILE* file, std::uint64_t offset) {
  std::clearerr(file);
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

CopiedInput CopyToUnnamedFile(OsHandle /*handle*/) {
  return {{}, CopyFailure::kReading, {}};  // the page has no standard input
}

AtomicReplacement::AtomicReplacement(std::string finalPath) : finalPath_(std::move(finalPath)) {}

AtomicReplacement::~AtomicReplacement() {
  Discard();
}

bool AtomicReplacement::Open() {
  Discard();
  failure_ = ReplaceFailure::kOther;
  int fd = -1;
  for (unsigned attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    tempPath_ = TemporaryName(finalPath_, attempt);
    fd = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      tempPath_.clear();
      if (errno != EEXIST) break;
    }
  }
  if (fd < 0) return false;
  handle_ = HandleFromFd(fd);
  failure_ = ReplaceFailure::kNone;
  return true;
}

bool AtomicReplacement::Commit(bool /*durable*/) {
  if (handle_ == OsHandle::kNone) return false;
  failure_ = ReplaceFailure::kOther;
  bool ok = ::close(Fd(handle_)) == 0;
  handle_ = OsHandle::kNone;
  if (ok) ok = std::rename(tempPath_.c_str(), finalPath_.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
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
    tempPath_.clear();
  }
}

std::string UserSettingsFolder() {
  return "/settings";  // the page keeps the file's text in the browser's storage
}

std::vector<std::string> EarlierSettingsFiles() {
  return {};
}

// The page's worker is the only writer of its settings: the lock is always held.
FileLock::FileLock(const std::string& /*lockPath*/) : handle_(OsHandle{0}) {}

FileLock::~FileLock() = default;

void AdviseHugePages(void* /*data*/, std::size_t /*bytes*/) {}

}  // namespace quelvane
