// The floor under a run of many small files: each file copied, unchanged, to
// FILE.new through the same file layer the run writes with (an unnamed file,
// then a link and a rename over an earlier output). What quelvane-cli convert
// takes beyond this on the same files is its own; this much is the kernel's
// price for outputs that are complete or absent.
//
//   replace_only [-o FOLDER] FILE...     (FOLDER: where the copies go, as convert -o)
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "os/os.h"

int main(int argc, char** argv) {
  std::vector<char> buffer(std::size_t{1} << 18);
  int failures = 0;
  int first = 1;
  std::string folder;
  if (argc > 2 && std::string_view(argv[1]) == "-o") {
    folder = argv[2];
    first = 3;
  }
  for (int i = first; i < argc; ++i) {
    const quelvane::OpenedFile input = quelvane::OpenRegularFile(argv[i]);
    const std::string name = std::string(argv[i]) + ".new";
    quelvane::AtomicReplacement output(
        folder.empty() ? name : quelvane::JoinPath(folder, quelvane::SplitPath(name).name));
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
