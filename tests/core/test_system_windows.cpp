#include <windows.h>

#include "tests/core/test_system.h"

namespace quelvane::testing {
namespace {

std::wstring Widen(const std::string& text) {
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

}  // namespace

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
  const std::wstring wideName = Widen(name);
  const DWORD size = ::GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
  if (size == 0) return std::nullopt;
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(wideName.c_str(), value.data(), size));
  return Narrow(value);
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  ::SetEnvironmentVariableW(Widen(name).c_str(), value ? Widen(*value).c_str() : nullptr);
}

}  // namespace quelvane::testing
