// Names on the systems where a name is bytes and '/' alone separates folders:
// POSIX, and the memory files of the browser's page. No name is kept for a
// device, and names compare byte for byte.
#include <filesystem>
#include <string>
#include <string_view>

#include "os/os.h"

namespace quelvane {

PathParts SplitPath(std::string_view path) {
  return SplitPosixPath(path);
}

char PathSeparator() {
  return '/';
}

std::string NameKey(std::string_view name) {
  return std::string(name);
}

std::filesystem::path PathFromUtf8(std::string_view path) {
  return std::filesystem::path(path);
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  return path.string();
}

bool IsReservedName(std::string_view /*path*/) {
  return false;
}

}  // namespace quelvane
