#include "core/line_reader.h"

#include <algorithm>
#include <cstring>

#include "os/os.h"

namespace quelvane {

LineReader::LineReader(std::FILE* file, std::size_t blockSize, std::size_t lineLimit)
    : file_(file), own_(blockSize), buffer_(own_), lineLimit_(lineLimit == 0 ? 1 : lineLimit) {}

LineReader::LineReader(std::FILE* file, ReadBuffer& buffer, std::size_t blockSize)
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
  if (utf16_) return FillDecoding();
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const std::size_t wanted = buffer_.size() - end_;
  const ReadOutcome got = ReadBytes(file_, buffer_.data() + end_, wanted);
  end_ += got.bytes;
  // A short read is the end of the file or an error: no need to ask again.
  if (got.bytes < wanted) {
    eof_ = true;
    failed_ = got.failed;
  }
  return got.bytes > 0;
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

std::string_view LineReader::Start() {
  if (end_ == 0) Fill();
  return {buffer_.data() + begin_, end_ - begin_};
}

void LineReader::DecodeUtf16(bool bigEndian) {
  if (end_ == 0) Fill();
  utf16_ = true;
  bigEndian_ = bigEndian;
  // What was read already is raw bytes: the mark, then text to decode.
  const std::size_t markEnd = std::min<std::size_t>(end_, 2);
  raw_.assign(buffer_.data() + markEnd, buffer_.data() + end_);
  rawRead_ = end_;
  begin_ = end_ = 0;
  DecodePending();
  if (eof_ && !raw_.empty()) notUtf16_ = true;
  if (notUtf16_) failed_ = eof_ = true;
}

namespace {

void PutUtf8(char*& out, std::uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

// Two bytes give at most three of UTF-8, and a pair of four bytes four.
void LineReader::DecodePending() {
  const std::size_t size = raw_.size();
  const std::size_t most = size / 2 * 3;
  if (buffer_.size() - end_ < most) buffer_.resize(end_ + most);
  const auto* raw = reinterpret_cast<const unsigned char*>(raw_.data());
  const auto unit = [&](std::size_t at) -> std::uint32_t {
    const std::uint32_t first = raw[at];
    const std::uint32_t second = raw[at + 1];
    return bigEndian_ ? (first << 8u) | second : (second << 8u) | first;
  };
  char* out = buffer_.data() + end_;
  std::size_t i = 0;
  while (i + 2 <= size) {
    const std::uint32_t first = unit(i);
    if (first < 0xD800 || first > 0xDFFF) {
      PutUtf8(out, first);
      i += 2;
      continue;
    }
    if (first >= 0xDC00) {
      notUtf16_ = true;
      break;
    }
    if (i + 4 > size) break;  // the second half is still to be read
    const std::uint32_t second = unit(i + 2);
    if (second < 0xDC00 || second > 0xDFFF) {
      notUtf16_ = true;
      break;
    }
    PutUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
    i += 4;
  }
  end_ = static_cast<std::size_t>(out - buffer_.data());
  raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(i));
}

bool LineReader::FillDecoding() {
  constexpr std::size_t kRawBlock = std::size_t{1} << 16;
  const std::size_t before = end_;
  while (end_ == before && !eof_) {
    const std::size_t held = raw_.size();
    raw_.resize(held + kRawBlock);
    const ReadOutcome got = ReadBytes(file_, raw_.data() + held, kRawBlock);
    raw_.resize(held + got.bytes);
    rawRead_ += got.bytes;
    if (got.bytes < kRawBlock) {
      eof_ = true;
      failed_ = got.failed;
    }
    DecodePending();
    // What is left at the end is an odd byte or half a pair.
    if (eof_ && !failed_ && !raw_.empty()) notUtf16_ = true;
    if (notUtf16_) failed_ = eof_ = true;
  }
  return end_ > before;
}

bool LineReader::HoldsCrButNoLf() {
  if (end_ == 0) Fill();
  const auto holds = [](const char* bytes, std::size_t size, char c) {
    return size != 0 && std::memchr(bytes, c, size) != nullptr;
  };
  if (holds(buffer_.data(), end_, '\n')) return false;
  bool cr = holds(buffer_.data(), end_, '\r');
  // A UTF-16 file is only looked at as far as its first block.
  if (eof_ || utf16_) return cr && eof_;
  // Read on through a block of its own, so that memory stays as it is.
  std::vector<char> block(std::size_t{1} << 16);
  bool lf = false;
  for (;;) {
    const ReadOutcome got = ReadBytes(file_, block.data(), block.size());
    lf = holds(block.data(), got.bytes, '\n');
    cr = cr || holds(block.data(), got.bytes, '\r');
    // A failed read is left to the passes over the file to find and report.
    if (got.failed) lf = true;
    if (lf || got.bytes < block.size()) break;
  }
  // Back to the start: the buffer's bytes stand for the file's start again.
  if (!RewindFile(file_, end_)) {
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
  // A UTF-16 file's text starts after its mark.
  const std::uint64_t start = utf16_ ? 2 : 0;
  if (!RewindFile(file_, start)) return false;
  begin_ = end_ = 0;
  eof_ = failed_ = notUtf16_ = false;
  raw_.clear();
  rawRead_ = start;
  startInBuffer_ = true;
  return true;
}

}  // namespace quelvane
