#include "core/line_reader.h"

#include <cstring>

namespace quelvane {

LineReader::LineReader(std::FILE* file, std::size_t blockSize) : file_(file), buffer_(blockSize) {}

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
  std::size_t scanned = begin_;
  for (;;) {
    const void* hit = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
    if (hit != nullptr) {
      const std::size_t stop =
          static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.data()) + 1;
      std::string_view line(buffer_.data() + begin_, stop - begin_);
      offset_ += line.size();
      begin_ = stop;
      return line;
    }
    const std::size_t pending = end_ - begin_;
    if (!Fill()) break;
    scanned = begin_ + pending;
  }
  if (begin_ == end_) return std::nullopt;
  std::string_view last(buffer_.data() + begin_, end_ - begin_);
  offset_ += last.size();
  begin_ = end_;
  return last;
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
