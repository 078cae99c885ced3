#include "core/line_reader.h"

#include <algorithm>
#include <cstring>

namespace quelvane {

LineReader::LineReader(std::FILE* file, std::size_t blockSize, std::size_t lineLimit)
    : file_(file), buffer_(blockSize), lineLimit_(lineLimit == 0 ? 1 : lineLimit) {}

bool LineReader::Fill() {
  if (eof_) return false;
  // Keep the unfinished line at the front; grow only when it fills the buffer.
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    eof_ = true;
    failed_ = std::ferror(file_) != 0;
    return false;
  }
  return true;
}

std::optional<std::string_view> LineReader::Next() {
  const auto handOut = [this](std::size_t stop) {
    const std::string_view line(buffer_.data() + begin_, stop - begin_);
    offset_ += line.size();
    begin_ = stop;
    return line;
  };
  std::size_t scanned = begin_;
  for (;;) {
    const std::size_t window = std::min(end_ - begin_, lineLimit_);
    const void* hit = std::memchr(buffer_.data() + scanned, '\n', begin_ + window - scanned);
    if (hit != nullptr) {
      return handOut(static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1);
    }
    if (window == lineLimit_) return handOut(begin_ + window);
    const std::size_t pending = end_ - begin_;
    if (!Fill()) break;
    scanned = begin_ + pending;
  }
  if (begin_ == end_) return std::nullopt;
  return handOut(end_);
}

bool LineReader::Rewind() {
  std::clearerr(file_);
  if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
  begin_ = end_ = 0;
  offset_ = 0;
  eof_ = failed_ = false;
  return true;
}

}  // namespace quelvane
