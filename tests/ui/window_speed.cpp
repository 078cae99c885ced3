// How long the window takes to convert 2,000 small files, beside quelvane-cli's
// own run of the same files in the same process: the window converts through the
// same engine, and its status lines, log list and repaints must cost little
// beside the conversion. Not a test: make bench runs it and prints the figures
// (QT_QPA_PLATFORM=offscreen).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "res/resource_ids.h"
#include "tests/platform/gui_test_support.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

TEST_F(MainWindowTest, TwoThousandFilesTakeTheWindowAboutWhatTheyTakeTheCommandLine) {
  constexpr int kFiles = 2000;
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    std::string text;
    for (int day = 0; day < 20; ++day) {
      text += std::to_string(3007 + i % 50) + "\t2024010" + std::to_string(day % 10) +
              "\t12.5\t13.0\t12.0\t12.8\t1500\r\n";
    }
    names.push_back("q" + std::to_string(10000 + i) + ".txt");
    Folder().Write(names.back(), text);
  }
  const auto removeOutputs = [&] {
    for (const std::string& name : names)
      std::filesystem::remove(Folder().Path() / (name + ".new"));
  };
  // Creating files right after removing as many costs the file system more than
  // creating them later: the two runs take turns going first.
  const auto runWindow = [&] {
    removeOutputs();
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((Folder().Path() / name).string());
    FileSelectionScript script;
    script.Select(paths);
    BoxRecorder boxes;
    Open();
    Click(res::kIdcKnownValuesOnly);  // all values, as -a
    Click(res::kIdcSelectFiles);
    const auto start = Clock::now();
    Click(res::kIdcProcessFiles);
    const double elapsed = Seconds(Clock::now() - start);
    Close();
    return elapsed;
  };
  const auto runCommand = [&] {
    removeOutputs();
    std::vector<const char*> argv{"quelvane-cli", "convert", "-a"};
    for (const std::string& name : names) argv.push_back(name.c_str());
    std::ostringstream out, err;
    Console console{out, err};
    const auto start = Clock::now();
    EXPECT_EQ(RunCli(argv, console), kExitOk);
    return Seconds(Clock::now() - start);
  };
  double window = 1e9;
  double command = 1e9;
  for (int round = 0; round < 6; ++round) {
    if (round % 2 == 0) window = std::min(window, runWindow());
    command = std::min(command, runCommand());
    if (round % 2 == 1) window = std::min(window, runWindow());
  }
  std::printf("%d files of 20 lines: window %.3f s, quelvane-cli convert %.3f s: %.2fx\n", kFiles,
              window, command, window / command);
}

}  // namespace
}  // namespace quelvane::testing
