// The line reader under a read error, which glibc's streams make on demand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "core/line_reader.h"
#include "tests/core/line_reader_support.h"

namespace quelvane {
namespace {

using testing::ReadAll;

// A disk that fails half-way through a file: the lines before the failure come
// out, and the reader says it stopped on an error, not at the end.
TEST(LineReader, AReadErrorInTheMiddleIsNotTheEnd) {
  struct Source {
    std::string_view left = "one\ntwo\nthr";
  } source;
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* from = static_cast<Source*>(cookie);
    if (from->left.empty()) {
      errno = EIO;
      return -1;
    }
    const std::size_t n = std::min(size, from->left.size());
    std::copy_n(from->left.data(), n, buffer);
    from->left.remove_prefix(n);
    return static_cast<ssize_t>(n);
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fopencookie(&source, "r", io), std::fclose);
  LineReader reader(file.get(), 4);
  EXPECT_EQ(ReadAll(reader), (std::vector<std::string>{"one\n", "two\n", "thr"}));
  EXPECT_TRUE(reader.Failed());
}

}  // namespace
}  // namespace quelvane
