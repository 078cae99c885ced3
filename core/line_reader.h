// Reads a file line by line, whatever the length of its lines. Memory grows only
// with the longest line, or stays within a limit when one is given; a line is
// handed out as a view into the reader's buffer. A UTF-16 file can be read as the
// UTF-8 text it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

#include "core/find_byte.h"

namespace quelvane {

// The reader's bytes. It grows in place where the system can (a large block is
// remapped rather than copied, so a line of 400 MB never stands twice in
// memory) and is never filled with zeros it does not need: only what is read
// into it takes memory.
class ReadBuffer {
 public:
  ReadBuffer() = default;
  explicit ReadBuffer(std::size_t size) { resize(size); }
  ~ReadBuffer() { std::free(data_); }
  ReadBuffer(const ReadBuffer&) = delete;
  ReadBuffer& operator=(const ReadBuffer&) = delete;

  char* data() { return data_; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Keeps the first bytes; what is added holds nothing yet. Running out of
  // memory is said as the library says it.
  void resize(std::size_t size) {
    if (size <= size_) {
      size_ = size;
      return;
    }
    void* grown = std::realloc(data_, size);
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(grown);
    size_ = size;
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

class LineReader {
 public:
  // The reader does not own the file. A line longer than lineLimit bytes is
  // handed out in pieces of lineLimit bytes, the last one ending the line.
  explicit LineReader(std::FILE* file, std::size_t blockSize = std::size_t{1} << 16,
                      std::size_t lineLimit = SIZE_MAX);
  // Reads through a buffer the caller keeps from one file to the next; it is
  // grown to blockSize at least, never shrunk.
  LineReader(std::FILE* file, ReadBuffer& buffer, std::size_t blockSize);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line with its line end if it has one (only the file's last line may
  // lack it), or the next piece of a long line, or nothing at the end of the file
  // or on a read error. The view stays valid until the next call.
  std::optional<std::string_view> Next() {
    // Most calls find a whole line in the buffer: inline, without a call.
    const std::size_t pending = end_ - begin_;
    if (pending <= lineLimit_) {
      const std::size_t end = FindByte({buffer_.data() + begin_, pending}, lineEnd_);
      if (end != std::string_view::npos) return HandOut(begin_ + end + 1);
    }
    return NextReading();
  }

  // Back to the start of the file; false when the file cannot be rewound. While
  // the buffer still holds the file's start (a small file), nothing is read again.
  bool Rewind();

  // Lines end at '\n' unless told otherwise.
  void SetLineEnd(char end) { lineEnd_ = end; }
  // True when the file holds a CR but no LF anywhere. Called at the file's start,
  // where it leaves the reader; a file with an LF early is not read further. A
  // file read as UTF-16 says true only when its first block is the whole of it.
  bool HoldsCrButNoLf();

  // Bytes of the file handed out so far since the start (or the last rewind);
  // when decoding, the bytes of the file read so far.
  std::uint64_t Offset() const { return utf16_ ? rawRead_ : offset_; }
  // True when reading stopped on an error rather than at the end of the file.
  bool Failed() const { return failed_; }

  // The file's first bytes, read but not yet handed out (a few, or none for an
  // empty file). Called at the file's start.
  std::string_view Start();
  // From here on, reads the file as UTF-16 in the byte order given, after its
  // two-byte mark, and hands out its text in UTF-8 (without the mark). Called at
  // the file's start, before any line is handed out.
  void DecodeUtf16(bool bigEndian);
  // DecodeUtf16 when the file starts with a UTF-16 mark, as spreadsheets save
  // "Unicode text"; says whether it did.
  bool DecodeIfUtf16() {
    const std::string_view start = Start();
    if (!start.starts_with("\xFF\xFE") && !start.starts_with("\xFE\xFF")) return false;
    DecodeUtf16(start.front() == '\xFE');
    return true;
  }
  bool BigEndian() const { return bigEndian_; }
  // True when the file is not UTF-16 after all: an odd number of bytes, or half
  // of a surrogate pair alone. Reading then stops as on an error.
  bool NotUtf16() const { return notUtf16_; }

 private:
  // Next, when the buffer holds no whole line: reads on, or cuts a long line.
  std::optional<std::string_view> NextReading();
  std::string_view HandOut(std::size_t stop) {
    const std::string_view line(buffer_.data() + begin_, stop - begin_);
    offset_ += line.size();
    begin_ = stop;
    return line;
  }
  bool Fill();
  bool FillDecoding();
  void DecodePending();

  std::FILE* file_;
  ReadBuffer own_;
  ReadBuffer& buffer_;
  std::size_t lineLimit_;
  char lineEnd_ = '\n';
  std::size_t begin_ = 0;  // first byte not yet handed out
  std::size_t end_ = 0;    // one past the last byte read
  std::uint64_t offset_ = 0;
  bool eof_ = false;
  bool startInBuffer_ = true;  // buffer_[0] is the file's first byte
  bool failed_ = false;
  // Decoding UTF-16: the bytes read that wait for the rest of their character.
  bool utf16_ = false;
  bool bigEndian_ = false;
  bool notUtf16_ = false;
  std::vector<char> raw_;
  std::uint64_t rawRead_ = 0;
};

}  // namespace quelvane
