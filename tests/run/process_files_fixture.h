// The fixture of the run's tests: a scratch folder, options, tables and a
// recording reporter; one run of the selection at a time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/code_tables.h"
#include "run/process_files.h"
#include "tests/run/recording_reporter.h"
#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane::testing {

inline std::vector<std::string> Names(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ProcessFilesTest : public ::testing::Test {
 protected:
  RunTotals Run(const std::vector<std::string>& paths) {
    return ProcessFiles(options_, paths, tables_, reporter_);
  }
  std::string Path(const std::string& name) const { return (folder_.Path() / name).string(); }

  ScratchFolder folder_;
  ConversionOptions options_;
  CodeTables tables_;
  RecordingReporter reporter_;
};

}  // namespace quelvane::testing
