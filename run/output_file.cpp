#include "run/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace quelvane {

AtomicOutputFile::AtomicOutputFile(std::string finalPath) : finalPath_(std::move(finalPath)) {}

AtomicOutputFile::~AtomicOutputFile() {
  Discard();
}

bool AtomicOutputFile::Open() {
  // The temporary name starts with the final one, so that a user who ever sees it
  // knows what it is; O_EXCL never reuses a file that happens to be there.
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    tempPath_ = finalPath_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    tempPath_.clear();
    return false;
  }
  // Replacing a file keeps its permissions, as rewriting it in place would.
  struct stat existing {};
  if (::stat(finalPath_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd_, existing.st_mode & 07777);
  }
  buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize + 4096);
  next_ = buffer_.get();
  end_ = next_ + kBlockSize + 4096;
  return true;
}

namespace {

bool WriteAll(int fd, const char* data, std::size_t left) {
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

bool AtomicOutputFile::WritePending() {
  if (failed_ || fd_ < 0) return false;
  if (!WriteAll(fd_, buffer_.get(), Mark())) {
    failed_ = true;
    return false;
  }
  next_ = buffer_.get();
  return true;
}

bool AtomicOutputFile::WriteThrough(std::string_view bytes) {
  if (!WritePending()) return false;
  if (bytes.size() < kBlockSize) {
    Put(bytes);
    return true;
  }
  if (!WriteAll(fd_, bytes.data(), bytes.size())) {
    failed_ = true;
    return false;
  }
  return true;
}

void AtomicOutputFile::Grow(std::size_t more) {
  const std::size_t used = Mark();
  const std::size_t capacity = static_cast<std::size_t>(end_ - buffer_.get());
  const std::size_t wanted = std::max(capacity * 2, used + more);
  auto grown = std::make_unique_for_overwrite<char[]>(wanted);
  if (used > 0) std::memcpy(grown.get(), buffer_.get(), used);
  buffer_ = std::move(grown);
  next_ = buffer_.get() + used;
  end_ = buffer_.get() + wanted;
}

bool AtomicOutputFile::Commit() {
  if (fd_ < 0 || !WritePending()) {
    Discard();
    return false;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 || std::rename(tempPath_.c_str(), finalPath_.c_str()) != 0) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
    return false;
  }
  tempPath_.clear();
  return true;
}

void AtomicOutputFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }
  buffer_.reset();
  next_ = end_ = nullptr;
}

}  // namespace quelvane
