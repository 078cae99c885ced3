#include "os/text_rules.h"

#include <algorithm>
#include <utility>

namespace quelvane {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

PathParts SplitPosixPath(std::string_view path) {
  const std::size_t separator = path.rfind('/');
  const std::size_t cut = separator == std::string_view::npos ? 0 : separator + 1;
  return {path.substr(0, cut), path.substr(cut)};
}

PathParts SplitWindowsPath(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  std::size_t cut = separator == std::string_view::npos ? 0 : separator + 1;
  if (cut == 0 && path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0])) cut = 2;
  return {path.substr(0, cut), path.substr(cut)};
}

bool IsWindowsDeviceName(std::string_view path) {
  std::string_view name = SplitWindowsPath(path).name;
  // Windows looks at the name up to its first dot, without the spaces before it.
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string upper(name);
  std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
  for (const std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (upper == device) return true;
  }
  if (!upper.starts_with("COM") && !upper.starts_with("LPT")) return false;
  const std::string_view digit = std::string_view(upper).substr(3);
  if (digit.size() == 1) return digit[0] >= '1' && digit[0] <= '9';
  // A superscript one, two or three, which Windows also keeps.
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

std::wstring WindowsCallPath(std::wstring_view written, std::wstring_view full) {
  if (written.starts_with(LR"(\\?\)") || written.starts_with(LR"(\\.\)")) {
    return std::wstring(written);
  }
  if (written.size() < kClassicPathLimit && full.size() < kClassicPathLimit) {
    return std::wstring(written);
  }
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + std::wstring(full.substr(2));
  return LR"(\\?\)" + std::wstring(full);
}

std::size_t WholeUtf8Length(std::string_view bytes) {
  for (std::size_t back = 1; back <= std::min<std::size_t>(3, bytes.size()); ++back) {
    const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? bytes.size() - back : bytes.size();
  }
  return bytes.size();
}

std::vector<CommandLineWord> SplitWindowsCommandLine(std::string_view line) {
  std::vector<CommandLineWord> words;
  std::size_t i = 0;
  CommandLineWord program;
  if (!line.empty() && line.front() == '"') {
    const std::size_t close = std::min(line.find('"', 1), line.size());
    program = {std::string(line.substr(1, close - 1)), true};
    i = std::min(close + 1, line.size());
  } else {
    while (i < line.size() && !IsBlank(line[i])) ++i;
    program.text = line.substr(0, i);
  }
  words.push_back(std::move(program));
  for (;;) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return words;
    CommandLineWord word;
    int quotes = 0;  // 1 inside quotes
    std::size_t backslashes = 0;
    while (i < line.size() && !(quotes == 0 && IsBlank(line[i]))) {
      const char c = line[i++];
      if (c != '"') {
        word.text += c;
        backslashes = c == '\\' ? backslashes + 1 : 0;
        continue;
      }
      word.quoted = true;
      word.text.resize(word.text.size() - backslashes / 2 - backslashes % 2);
      if (backslashes % 2 == 0) {
        ++quotes;
      } else {
        word.text += '"';
      }
      backslashes = 0;
      for (; i < line.size() && line[i] == '"'; ++i) {
        if (++quotes == 3) {
          word.text += '"';
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    }
    words.push_back(std::move(word));
  }
}

bool HasWildcard(std::string_view word) {
  return word.find_first_of("*?") != std::string_view::npos;
}

std::string TemporaryNameIn(std::string_view folder, std::uint64_t seed) {
  static constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name(folder);
  name += ".q";
  for (int i = 0; i < 6; ++i) {
    name += kLetters[seed % kLetters.size()];
    seed = seed / kLetters.size() + seed * 2654435761U;
  }
  return name;
}

}  // namespace quelvane
