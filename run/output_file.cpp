#include "run/output_file.h"

#include <algorithm>
#include <string>

#include "core/text.h"

namespace quelvane {

AtomicOutputFile::AtomicOutputFile(std::string finalPath, std::vector<char>& buffer)
    : file_(std::move(finalPath)), buffer_(buffer) {}

AtomicOutputFile::AtomicOutputFile(std::string finalPath)
    : AtomicOutputFile(std::move(finalPath), own_) {}

AtomicOutputFile::~AtomicOutputFile() {
  Discard();
}

bool AtomicOutputFile::Open() {
  if (!file_.Open()) return false;
  StartBuffer();
  return true;
}

bool AtomicOutputFile::OpenStream(OsHandle stream) {
  stream_ = stream;
  StartBuffer();
  return true;
}

void AtomicOutputFile::StartBuffer() {
  failed_ = false;
  if (buffer_.size() < kBlockSize + 4096) buffer_.resize(kBlockSize + 4096);
  next_ = buffer_.data();
  end_ = next_ + buffer_.size();
}

OsHandle AtomicOutputFile::Target() const {
  return stream_ != OsHandle::kNone ? stream_ : file_.Handle();
}

ReplaceFailure AtomicOutputFile::Failure() const {
  // A write that failed leaves the file's own reason empty.
  return file_.Failure() == ReplaceFailure::kNone ? ReplaceFailure::kOther : file_.Failure();
}

bool AtomicOutputFile::WritePending() {
  if (failed_ || Target() == OsHandle::kNone) return false;
  if (behind_) {
    // The full block goes to the writing thread, and its idle block becomes
    // the one to fill.
    if (!WaitForWriteBehind()) return false;
    const std::size_t length = Mark();
    {
      const std::lock_guard lock(behind_->mutex);
      behind_->block.swap(buffer_);
      behind_->length = length;
    }
    behind_->changed.notify_one();
    if (buffer_.size() < kBlockSize + 4096) buffer_.resize(kBlockSize + 4096);
    next_ = buffer_.data();
    end_ = next_ + buffer_.size();
    return true;
  }
  if (!Emit({buffer_.data(), Mark()})) {
    failed_ = true;
    return false;
  }
  next_ = buffer_.data();
  return true;
}

void AtomicOutputFile::WriteBehind() {
  if (behind_ || utf16_) return;  // UTF-16 is encoded as it goes out, on this thread
  behind_ = std::make_unique<Behind>();
  behind_->thread = std::thread([this] { WriteBehindLoop(); });
}

void AtomicOutputFile::WriteBehindLoop() {
  Behind& behind = *behind_;
  std::unique_lock lock(behind.mutex);
  for (;;) {
    behind.changed.wait(lock, [&] { return behind.stop || behind.length != 0; });
    if (behind.length == 0) return;  // stopped with nothing left to write
    const std::string_view bytes(behind.block.data(), behind.length);
    lock.unlock();
    const bool written = WriteAll(Target(), bytes);
    lock.lock();
    behind.failed = behind.failed || !written;
    behind.length = 0;
    behind.changed.notify_one();
  }
}

bool AtomicOutputFile::WaitForWriteBehind() {
  if (!behind_) return !failed_;
  std::unique_lock lock(behind_->mutex);
  behind_->changed.wait(lock, [&] { return behind_->length == 0; });
  if (behind_->failed) failed_ = true;
  return !failed_;
}

void AtomicOutputFile::StopWriteBehind() {
  if (!behind_) return;
  WaitForWriteBehind();
  {
    const std::lock_guard lock(behind_->mutex);
    behind_->stop = true;
  }
  behind_->changed.notify_one();
  behind_->thread.join();
  behind_.reset();
}

bool AtomicOutputFile::WriteThrough(std::string_view bytes) {
  // A piece written as it stands goes after what the other thread writes.
  if (!WaitForWriteBehind()) return false;
  StopWriteBehind();
  if (!WritePending()) return false;
  if (bytes.size() < kBlockSize) {
    Put(bytes);
    return true;
  }
  if (!Emit(bytes)) {
    failed_ = true;
    return false;
  }
  return true;
}

bool AtomicOutputFile::Emit(std::string_view bytes) {
  if (!utf16_) return WriteAll(Target(), bytes);
  std::string joined;
  if (!carry_.empty()) {
    joined = carry_ + std::string(bytes);
    bytes = joined;
  }
  const std::size_t tail = IncompleteUtf8Tail(bytes);
  encoded_.clear();
  if (!AppendUtf16(bytes.substr(0, bytes.size() - tail), bigEndian_, encoded_)) {
    notUtf16_ = true;
    return false;
  }
  carry_.assign(bytes.substr(bytes.size() - tail));
  return WriteAll(Target(), encoded_);
}

void AtomicOutputFile::Grow(std::size_t more) {
  const std::size_t used = Mark();
  const std::size_t capacity = static_cast<std::size_t>(end_ - buffer_.data());
  const std::size_t wanted = std::max(capacity * 2, used + more);
  buffer_.resize(wanted);
  next_ = buffer_.data() + used;
  end_ = buffer_.data() + wanted;
}

bool AtomicOutputFile::Commit() {
  bool committed = WritePending() && WaitForWriteBehind();
  StopWriteBehind();
  if (committed && !carry_.empty()) {
    // The text ends inside a character.
    notUtf16_ = true;
    committed = false;
  }
  committed = committed && (stream_ != OsHandle::kNone || file_.Commit());
  Discard();
  return committed;
}

void AtomicOutputFile::Discard() {
  StopWriteBehind();
  file_.Discard();
  stream_ = OsHandle::kNone;
  next_ = end_ = nullptr;
}

}  // namespace quelvane
