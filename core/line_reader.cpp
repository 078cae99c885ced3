#include "core/line_reader.h"

#include <algorithm>
#include <cstring>

namespace quelvane {

LineReader::LineReader(std::FILE* file, std::size_t blockSize, std::size_t lineLimit)
    : file_(file), own_(blockSize), buffer_(own_), lineLimit_(lineLimit == 0 ? 1 : lineLimit) {}

LineReader::LineReader(std::FILE* file, std::vector<char>& buffer, std::size_t blockSize)
    : file_(file), buffer_(buffer), lineLimit_(SIZE_MAX) {
  if (buffer_.size() < blockSize) buffer_.resize(blockSize);
}

bool LineReader::Fill() {
  if (eof_) return false;
  // Keep the unfinished line at the front; grow only when it fills the buffer.
  if (begin_ > 0) {
    startInBuffer_ = false;
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const std::size_t wanted = buffer_.size() - end_;
  const std::size_t got = std::fread(buffer_.data() + end_, 1, wanted, file_);
  end_ += got;
  // A short read is the end of the file or an error: no need to ask again.
  if (got < wanted) {
    eof_ = true;
    failed_ = std::ferror(file_) != 0;
  }
  return got > 0;
}

std::optional<std::string_view> LineReader::NextReading() {
  std::size_t scanned = begin_;
  for (;;) {
    const std::size_t window = std::min(end_ - begin_, lineLimit_);
    const void* hit = std::memchr(buffer_.data() + scanned, lineEnd_, begin_ + window - scanned);
    if (hit != nullptr) {
      return HandOut(static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1);
    }
    if (window == lineLimit_) return HandOut(begin_ + window);
    const std::size_t pending = end_ - begin_;
    if (!Fill()) break;
    scanned = begin_ + pending;
  }
  if (begin_ == end_) return std::nullopt;
  return HandOut(end_);
}

bool LineReader::HoldsCrButNoLf() {
  if (end_ == 0) Fill();
  const auto holds = [](const char* bytes, std::size_t size, char c) {
    return size != 0 && std::memchr(bytes, c, size) != nullptr;
  };
  if (holds(buffer_.data(), end_, '\n')) return false;
  bool cr = holds(buffer_.data(), end_, '\r');
  if (eof_) return cr;
  // Read on through a block of its own, so that memory stays as it is.
  std::vector<char> block(std::size_t{1} << 16);
  bool lf = false;
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), file_);
    lf = holds(block.data(), got, '\n');
    cr = cr || holds(block.data(), got, '\r');
    if (lf || got < block.size()) break;
  }
  // A failed read is left to the passes over the file to find and report.
  if (std::ferror(file_) != 0) lf = true;
  // Back to the start: the buffer's bytes stand for the file's start again.
  std::clearerr(file_);
  if (std::fseek(file_, static_cast<long>(end_), SEEK_SET) != 0) {
    failed_ = true;
    eof_ = true;
  }
  return cr && !lf;
}

bool LineReader::Rewind() {
  offset_ = 0;
  if (startInBuffer_ && !failed_) {
    // The stream stands where the buffer's bytes end: reading goes on from there.
    begin_ = 0;
    return true;
  }
  std::clearerr(file_);
  if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
  begin_ = end_ = 0;
  eof_ = failed_ = false;
  startInBuffer_ = true;
  return true;
}

}  // namespace quelvane
