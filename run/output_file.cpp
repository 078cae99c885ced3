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
  if (!Emit({buffer_.data(), Mark()})) {
    failed_ = true;
    return false;
  }
  next_ = buffer_.data();
  return true;
}

bool AtomicOutputFile::WriteThrough(std::string_view bytes) {
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
  bool committed = WritePending();
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
  file_.Discard();
  stream_ = OsHandle::kNone;
  next_ = end_ = nullptr;
}

}  // namespace quelvane
