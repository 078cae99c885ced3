#include "cli/console.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>
#include <streambuf>
#include <string_view>

#include "core/posix_file.h"

namespace quelvane {
namespace {

// Standard output written through the file layer, so that why a write failed is
// known: a closed pipe is the reader's choice, a full disk is a lost result.
class StandardOutputBuffer final : public std::streambuf {
 public:
  StandardOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

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
    if (!WriteAll(STDOUT_FILENO, pending)) {
      (errno == EPIPE ? closed_ : lost_) = true;
      return false;
    }
    return true;
  }

  char buffer_[1 << 16];
  bool closed_ = false;
  bool lost_ = false;
};

StandardOutputBuffer& OutputBuffer() {
  static StandardOutputBuffer buffer;
  return buffer;
}

}  // namespace

Console StandardConsole() {
  // A closed pipe must not kill the run half-way through a file.
  std::signal(SIGPIPE, SIG_IGN);
  RemoveTemporariesOnSignals();
  static std::ostream out(&OutputBuffer());
  return Console{out, std::cerr, ::isatty(STDIN_FILENO) != 0 ? &std::cin : nullptr,
                 ::isatty(STDERR_FILENO) != 0, [] { return OutputBuffer().Lost(); }};
}

}  // namespace quelvane
