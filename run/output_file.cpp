#include "run/output_file.h"

#include <algorithm>
#include <string>

namespace quelvane {

AtomicOutputFile::AtomicOutputFile(std::string finalPath) : file_(std::move(finalPath)) {}

AtomicOutputFile::~AtomicOutputFile() {
  Discard();
}

bool AtomicOutputFile::Open() {
  if (!file_.Open()) return false;
  StartBuffer();
  return true;
}

bool AtomicOutputFile::OpenStream(int fd) {
  streamFd_ = fd;
  StartBuffer();
  return true;
}

void AtomicOutputFile::StartBuffer() {
  failed_ = false;
  buffer_ = std::make_unique_for_overwrite<char[]>(kBlockSize + 4096);
  next_ = buffer_.get();
  end_ = next_ + kBlockSize + 4096;
}

int AtomicOutputFile::Fd() const {
  return streamFd_ >= 0 ? streamFd_ : file_.Fd();
}

bool AtomicOutputFile::WritePending() {
  if (failed_ || Fd() < 0) return false;
  if (!WriteAll(Fd(), {buffer_.get(), Mark()})) {
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
  if (!WriteAll(Fd(), bytes)) {
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
  const bool committed = WritePending() && (streamFd_ >= 0 || file_.Commit());
  Discard();
  return committed;
}

void AtomicOutputFile::Discard() {
  file_.Discard();
  streamFd_ = -1;
  buffer_.reset();
  next_ = end_ = nullptr;
}

}  // namespace quelvane
