// A converted file as the run writes it: lines are collected in a buffer, written
// in large blocks, and the file takes its final name only once complete (see
// AtomicReplacement): a failed write, close or rename, or the program's end,
// leaves neither a partial file nor a temporary one, and an earlier file of the
// final name stays as it was.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "os/os.h"

namespace quelvane {

// What a line puts is mostly short (a code, a separator, the rest of a quote
// line): up to 64 bytes are copied as two blocks that may overlap, without a
// call. Longer pieces go through memcpy.
inline void CopyBytes(char* to, const char* from, std::size_t size) {
  const auto twoBlocks = [&]<std::size_t kBlock>() {
    char first[kBlock];
    char last[kBlock];
    std::memcpy(first, from, kBlock);
    std::memcpy(last, from + size - kBlock, kBlock);
    std::memcpy(to, first, kBlock);
    std::memcpy(to + size - kBlock, last, kBlock);
  };
  if (size > 64) {
    std::memcpy(to, from, size);
  } else if (size > 32) {
    twoBlocks.template operator()<32>();
  } else if (size > 16) {
    twoBlocks.template operator()<16>();
  } else if (size >= 8) {
    twoBlocks.template operator()<8>();
  } else if (size >= 4) {
    twoBlocks.template operator()<4>();
  } else {
    for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
  }
}

class AtomicOutputFile {
 public:
  // Bytes collected before they are written in one call.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;

  // Collects into `buffer`, which the caller may keep from one file to the next.
  AtomicOutputFile(std::string finalPath, std::vector<char>& buffer);
  explicit AtomicOutputFile(std::string finalPath);
  ~AtomicOutputFile();  // discards what was not committed
  AtomicOutputFile(const AtomicOutputFile&) = delete;
  AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

  // Creates the temporary file; false when it cannot be created.
  bool Open();
  // Writes to an open stream (standard output) instead: Commit only writes out
  // what is pending, and what was written before a failure stays written.
  bool OpenStream(OsHandle stream);
  // From here on, full blocks are written by a thread of their own while the
  // next block fills: a large file's writing then takes the second core, not the
  // conversion's time. Called after Open, before anything is put.
  void WriteBehind();
  // What is put is UTF-8 text, written as UTF-16 in the byte order given. Text
  // that is not UTF-8 fails the file (see NotUtf16): nothing is replaced.
  void WriteAsUtf16(bool bigEndian) {
    utf16_ = true;
    bigEndian_ = bigEndian;
  }

  // Appends to what is pending. Pending bytes are written only by WriteIfFull and
  // Commit, so a caller can take back what it appended since a Mark.
  void Put(std::string_view bytes) {
    if (bytes.empty()) return;  // a view of nothing may have no address at all
    if (static_cast<std::size_t>(end_ - next_) < bytes.size()) Grow(bytes.size());
    CopyBytes(next_, bytes.data(), bytes.size());
    next_ += bytes.size();
  }
  void PutRepeated(char c, std::size_t count) {
    if (static_cast<std::size_t>(end_ - next_) < count) Grow(count);
    std::memset(next_, c, count);
    next_ += count;
  }
  // Appends bytes that will not be taken back, nor anything before them: what is
  // pending may then be written at once, so a long line needs no room of its size.
  // False once a write has failed.
  bool PutFinal(std::string_view bytes) {
    if (static_cast<std::size_t>(end_ - next_) >= bytes.size()) {
      Put(bytes);
      return true;
    }
    return WriteThrough(bytes);
  }
  std::size_t Mark() const { return static_cast<std::size_t>(next_ - buffer_.data()); }
  void TakeBack(std::size_t mark) { next_ = buffer_.data() + mark; }
  // What was put since a Mark and is still pending.
  std::string_view PendingSince(std::size_t mark) const {
    return {buffer_.data() + mark, Mark() - mark};
  }

  // Writes what is pending once it fills a block; false once a write has failed.
  bool WriteIfFull() { return Mark() < kBlockSize || WritePending(); }

  // Writes what is pending, closes, and renames over the final name.
  bool Commit();
  // Closes and removes the temporary file.
  void Discard();
  // Why the file could not be created, written or put in place, for the log.
  ReplaceFailure Failure() const;
  // True when what was put could not be written as UTF-16.
  bool NotUtf16() const { return notUtf16_; }

 private:
  void StartBuffer();
  OsHandle Target() const;  // where pending bytes go
  bool WritePending();
  bool Emit(std::string_view bytes);
  bool WriteThrough(std::string_view bytes);
  void Grow(std::size_t more);
  // Waits until the thread that writes behind has written what it was given;
  // false when it could not.
  bool WaitForWriteBehind();
  void StopWriteBehind();
  void WriteBehindLoop();

  AtomicReplacement file_;
  OsHandle stream_ = OsHandle::kNone;
  // Pending bytes: [buffer_.data(), next_); room up to end_. Grows only for a
  // line longer than a block.
  std::vector<char> own_;
  std::vector<char>& buffer_;
  char* next_ = nullptr;
  char* end_ = nullptr;
  bool failed_ = false;
  bool utf16_ = false;
  bool bigEndian_ = false;
  bool notUtf16_ = false;
  std::string carry_;    // the start of a character whose end is still to come
  std::string encoded_;  // UTF-16 on its way out
  // Writing behind: the block being written, and its length while it is.
  struct Behind {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> block;
    std::size_t length = 0;  // bytes of block to write; 0: idle
    bool failed = false;
    bool stop = false;
  };
  std::unique_ptr<Behind> behind_;
};

}  // namespace quelvane
