// The floor under a run of many small files: each file copied, unchanged, to
// FILE.new through the same file layer the run writes with (an unnamed file,
// then a link and a rename over an earlier output). What quelvane-cli convert
// takes beyond this on the same files is its own; this much is the kernel's
// price for outputs that are complete or absent.
//
//   replace_only FILE...
#include <cstdio>
#include <string>
#include <vector>

#include "core/os.h"

int main(int argc, char** argv) {
  std::vector<char> buffer(std::size_t{1} << 18);
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    const quelvane::OpenedFile input = quelvane::OpenRegularFile(argv[i]);
    quelvane::AtomicReplacement output(std::string(argv[i]) + ".new");
    bool ok = input.file && output.Open();
    std::size_t got = 0;
    while (ok && (got = std::fread(buffer.data(), 1, buffer.size(), input.file.get())) > 0) {
      ok = quelvane::WriteAll(output.Handle(), std::string_view(buffer.data(), got));
    }
    if (!ok || !output.Commit()) {
      std::fprintf(stderr, "replace_only: %s\n", argv[i]);
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
