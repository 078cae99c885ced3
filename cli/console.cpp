#include "cli/console.h"

#include <iostream>
#include <streambuf>
#include <string_view>

#include "os/os.h"

namespace quelvane {
namespace {

// A standard stream written through the operating-system layer, so that why a
// write failed is known (a closed pipe is the reader's choice, a full disk is a
// lost result), and so that a Windows console shows every character whatever
// its code page while a pipe or a file gets the same bytes on every system.
class StandardStreamBuffer final : public std::streambuf {
 public:
  explicit StandardStreamBuffer(OsHandle handle) : writer_(handle) {
    setp(buffer_, buffer_ + sizeof buffer_);
  }

  bool Lost() const { return lost_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    const std::string_view pending(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    if (closed_ || lost_) return false;
    switch (writer_.Write(pending)) {
      case WriteOutcome::kWritten:
        return true;
      case WriteOutcome::kReaderGone:
        closed_ = true;
        return false;
      case WriteOutcome::kFailed:
        lost_ = true;
        return false;
    }
    return false;
  }

  StandardStreamWriter writer_;
  char buffer_[1 << 16];
  bool closed_ = false;
  bool lost_ = false;
};

StandardStreamBuffer& OutputBuffer() {
  static StandardStreamBuffer buffer(StandardOutput());
  return buffer;
}

StandardStreamBuffer& ErrorBuffer() {
  static StandardStreamBuffer buffer(StandardError());
  return buffer;
}

}  // namespace

Console StandardConsole() {
  PrepareProcess();
  static std::ostream out(&OutputBuffer());
  // Messages go out as they are written, as std::cerr's do.
  static std::ostream err(&ErrorBuffer());
  err.setf(std::ios::unitbuf);
  return Console{out,
                 err,
                 IsTerminal(StandardInput()) ? &std::cin : nullptr,
                 IsTerminal(StandardError()),
                 [] { return OutputBuffer().Lost(); },
                 [] { return ErrorBuffer().Lost(); },
                 StandardInput(),
                 StandardOutput()};
}

}  // namespace quelvane
