// What tests of real files share: a scratch folder per test, removed afterwards,
// and whole-file reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "tests/support/test_system.h"

namespace quelvane::testing {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the bytes, creating the folders on the way.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The entries of a folder, hidden ones included.
inline std::size_t EntryCount(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

// The entries a file of the file layer adds to its folder while it is written: a
// temporary name on Windows and where QUELVANE_NAMED_TEMPORARIES is set, none
// otherwise (the file systems tests run on give unnamed files).
inline std::size_t TemporaryEntriesWhileWriting() {
  return kOnWindows || Environment("QUELVANE_NAMED_TEMPORARIES").has_value() ? 1 : 0;
}

class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    static int count = 0;  // a test may want more than one
    // Two runs of the same test (two builds) at once each have their own.
    static const auto run = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000;
    path_ = std::filesystem::temp_directory_path() /
            ("quelvane-" + std::to_string(run) + "-" + info->test_suite_name() + "-" +
             info->name() + "-" + std::to_string(++count));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

  std::filesystem::path Write(const std::string& name, std::string_view bytes) const {
    const auto file = path_ / name;
    WriteFile(file, bytes);
    return file;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace quelvane::testing
