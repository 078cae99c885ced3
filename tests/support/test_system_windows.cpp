#include <windows.h>

#include "os/wide_text.h"
#include "tests/support/test_system.h"

namespace quelvane::testing {

std::vector<std::string> NotRegularFiles(const std::filesystem::path& folder) {
  std::filesystem::create_directory(folder / "folder.txt");
  const std::string here = folder.string() + "\\";
  return {(folder / "folder.txt").string(),
          DeviceFile(),
          "CON",
          here + "com1.txt",
          here + "LPT9.ini",
          here + "aux"};
}

std::string DeviceFile() {
  return "NUL";
}

std::optional<std::string> Environment(const std::string& name) {
  const std::wstring wideName = ToWide(name);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
  return FromWide(value);
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  ::SetEnvironmentVariableW(ToWide(name).c_str(), value ? ToWide(*value).c_str() : nullptr);
}

}  // namespace quelvane::testing
