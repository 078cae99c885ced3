#include <sys/stat.h>

#include <cstdlib>

#include "tests/support/test_system.h"

namespace quelvane::testing {

std::vector<std::string> NotRegularFiles(const std::filesystem::path& folder) {
  std::filesystem::create_directory(folder / "folder.txt");
  const std::string fifo = (folder / "fifo.txt").string();
  ::mkfifo(fifo.c_str(), 0600);  // no writer: never to be waited on
  return {(folder / "folder.txt").string(), fifo, DeviceFile()};
}

std::string DeviceFile() {
  return "/dev/zero";
}

std::optional<std::string> Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

}  // namespace quelvane::testing
