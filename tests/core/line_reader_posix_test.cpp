// The line reader under a read error, which glibc's streams make on demand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#include "core/line_reader.h"
#include "tests/core/line_reader_support.h"

namespace quelvane {
namespace {

using testing::ReadAll;

// A stream that gives its bytes a few at a time and then fails with `error`,
// or, for EINTR, is interrupted before every piece and ends cleanly.
struct Source {
  std::string_view left;
  int error = EIO;
  bool interruptNext = true;
};

std::unique_ptr<std::FILE, int (*)(std::FILE*)> Open(Source& source) {
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* from = static_cast<Source*>(cookie);
    if (from->error == EINTR && from->interruptNext) {
      from->interruptNext = false;
      errno = EINTR;
      return -1;
    }
    from->interruptNext = true;
    if (from->left.empty()) {
      if (from->error == EINTR) return 0;
      errno = from->error;
      return -1;
    }
    const std::size_t n = std::min(size, from->left.size());
    std::copy_n(from->left.data(), n, buffer);
    from->left.remove_prefix(n);
    return static_cast<ssize_t>(n);
  };
  return {fopencookie(&source, "r", io), std::fclose};
}

// A disk that fails half-way through a file: the lines before the failure come
// out, and the reader says it stopped on an error, not at the end. A signal
// that interrupts a read is no error: reading goes on.
TEST(LineReader, AReadErrorInTheMiddleIsNotTheEndButAnInterruptIsNoError) {
  Source failing{"one\ntwo\nthr", EIO};
  const auto file = Open(failing);
  LineReader reader(file.get(), 4);
  EXPECT_EQ(ReadAll(reader), (std::vector<std::string>{"one\n", "two\n", "thr"}));
  EXPECT_TRUE(reader.Failed());

  Source interrupted{"one\ntwo\nthree", EINTR};
  const auto again = Open(interrupted);
  LineReader patient(again.get(), 4);
  EXPECT_EQ(ReadAll(patient), (std::vector<std::string>{"one\n", "two\n", "three"}));
  EXPECT_FALSE(patient.Failed());
}

}  // namespace
}  // namespace quelvane
