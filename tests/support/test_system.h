// What tests need of the system they run on, behind one header with one
// implementation per system (test_system_posix.cpp, test_system_windows.cpp),
// as the program's own operating-system layer: so that a test of a rule runs on
// both systems, and only the specimens it is given differ.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelvane::testing {

inline constexpr bool kOnWindows = QUELVANE_TEST_ON_WINDOWS != 0;

// Paths that lead to no regular file, which nothing may read or wait on: a
// folder made in `folder`, and the system's own: a FIFO without a writer (made in
// `folder`) and /dev/zero on POSIX; device names (NUL, CON, com1.txt, LPT9.ini)
// on Windows.
std::vector<std::string> NotRegularFiles(const std::filesystem::path& folder);

// A device, which is no file to read: /dev/zero (endless); NUL on Windows.
std::string DeviceFile();

// This process's environment; nothing: the variable is unset.
std::optional<std::string> Environment(const std::string& name);
void SetEnvironment(const std::string& name, const std::optional<std::string>& value);

// Sets variables for the life of the object, then puts back what was there.
class EnvironmentOverride {
 public:
  EnvironmentOverride() = default;
  ~EnvironmentOverride() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
      SetEnvironment(it->first, it->second);
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  void Set(const std::string& name, const std::optional<std::string>& value) {
    saved_.emplace_back(name, Environment(name));
    SetEnvironment(name, value);
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace quelvane::testing
