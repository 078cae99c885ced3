#include "platform/profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>

#include "core/text.h"

namespace quelvane {
namespace {

// A line is looked at through its first 64 KiB: enough for any section or key
// name and any value the program writes, and a binary or broken file of any size
// is read with bounded memory.
constexpr std::size_t kLineHeadLimit = std::size_t{1} << 16;
constexpr std::size_t kReadBlock = std::size_t{1} << 16;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// One line of the file as seen through its head: the line without its line end.
struct LineHead {
  std::string_view text;  // at most kLineHeadLimit bytes, line end removed
  bool cut = false;       // the line is longer than its head
  bool endsWithLf = false;
  bool endsWithCrLf = false;
};

// Calls visit(index, head) for every line of the file, in order; stops early when
// visit returns false. False when the file cannot be read.
bool ForEachLine(std::FILE* file,
                 const std::function<bool(std::uint64_t, const LineHead&)>& visit) {
  std::vector<char> block(kReadBlock);
  std::string head;
  bool cut = false;
  std::uint64_t index = 0;
  bool pending = false;  // a line has begun
  const auto emit = [&](bool endsWithLf) {
    LineHead line;
    std::string_view text = head;
    line.endsWithLf = endsWithLf;
    if (!cut && endsWithLf && text.ends_with('\r')) {
      text.remove_suffix(1);
      line.endsWithCrLf = true;
    }
    line.text = text;
    line.cut = cut;
    const bool more = visit(index++, line);
    head.clear();
    cut = false;
    pending = false;
    return more;
  };
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), file);
    if (got == 0) break;
    std::string_view chunk(block.data(), got);
    while (!chunk.empty()) {
      const std::size_t stop = chunk.find('\n');
      const std::string_view piece = chunk.substr(0, stop);
      const std::size_t room = kLineHeadLimit - head.size();
      head.append(piece.substr(0, room));
      if (piece.size() > room) cut = true;
      pending = true;
      if (stop == std::string_view::npos) break;
      if (!emit(true)) return true;
      chunk.remove_prefix(stop + 1);
    }
  }
  if (std::ferror(file)) return false;
  if (pending) emit(false);
  return true;
}

// What a line of an INI file is, by its head.
struct ParsedLine {
  enum Kind { kOther, kSection, kKey } kind = kOther;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // everything after the '=', verbatim
  std::size_t valueStart = 0;
};

ParsedLine Parse(const LineHead& line) {
  ParsedLine parsed;
  const std::string_view text = line.text;
  const std::string_view trimmed = Trim(text);
  if (trimmed.starts_with('[')) {
    std::string_view name = trimmed.substr(1);
    name = name.substr(0, name.find(']'));
    parsed.kind = ParsedLine::kSection;
    parsed.name = Trim(name);
    return parsed;
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) return parsed;
  parsed.kind = ParsedLine::kKey;
  parsed.name = Trim(text.substr(0, equals));
  parsed.value = text.substr(equals + 1);
  parsed.valueStart = equals + 1;
  return parsed;
}

// Where a key stands in the file, or where it would go.
struct KeyPlace {
  bool sectionFound = false;
  std::optional<std::uint64_t> keyLine;  // the line holding the key
  std::string keyLineStart;              // that line up to and including its '='
  std::string keyLineEnd;                // that line's line end
  std::uint64_t lastSectionLine = 0;     // last non-blank line of the section
  std::optional<std::string> value;
  std::uint64_t lineCount = 0;
  bool lastLineEnded = true;  // the file is empty or ends with a line feed
  bool crlf = false;          // the file's first line ends with CR LF
};

// The first section of that name holds the key; its first line with the key wins.
std::optional<KeyPlace> FindKey(const std::filesystem::path& path, std::string_view section,
                                std::string_view key) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  KeyPlace place;
  if (!file) return std::nullopt;
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  bool inSection = false;
  const bool read = ForEachLine(file.get(), [&](std::uint64_t index, const LineHead& line) {
    if (index == 0) place.crlf = line.endsWithCrLf;
    place.lineCount = index + 1;
    place.lastLineEnded = line.endsWithLf;
    const ParsedLine parsed = Parse(line);
    if (parsed.kind == ParsedLine::kSection) {
      inSection = false;
      if (!place.sectionFound && EqualsFoldingAsciiLetters(parsed.name, section)) {
        place.sectionFound = true;
        inSection = true;
        place.lastSectionLine = index;
      }
      return true;
    }
    if (!inSection) return true;
    if (!Trim(line.text).empty()) place.lastSectionLine = index;
    if (parsed.kind == ParsedLine::kKey && !place.keyLine &&
        EqualsFoldingAsciiLetters(parsed.name, key)) {
      place.keyLine = index;
      place.value = std::string(parsed.value);
      place.keyLineStart = std::string(line.text.substr(0, parsed.valueStart));
      place.keyLineEnd = line.endsWithCrLf ? "\r\n" : line.endsWithLf ? "\n" : "";
    }
    return true;
  });
  if (!read) return std::nullopt;
  return place;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Copies the file into fd line by line, putting `text` in place of line `replace`
// or after line `insertAfter`.
bool CopyWithChange(std::FILE* source, int fd, std::optional<std::uint64_t> replace,
                    std::optional<std::uint64_t> insertAfter, std::string_view text) {
  std::vector<char> block(kReadBlock);
  std::uint64_t line = 0;
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), source);
    if (got == 0) break;
    std::string_view chunk(block.data(), got);
    while (!chunk.empty()) {
      const std::size_t stop = chunk.find('\n');
      const std::size_t take = stop == std::string_view::npos ? chunk.size() : stop + 1;
      if (!(replace && *replace == line) && !WriteAll(fd, chunk.substr(0, take))) return false;
      chunk.remove_prefix(take);
      if (stop == std::string_view::npos) break;
      if (replace && *replace == line && !WriteAll(fd, text)) return false;
      if (insertAfter && *insertAfter == line && !WriteAll(fd, text)) return false;
      ++line;
    }
  }
  if (std::ferror(source)) return false;
  // The replaced or the anchor line was the last one, without a line feed.
  if (replace && *replace == line) return WriteAll(fd, text);
  if (insertAfter && *insertAfter == line) return WriteAll(fd, text);
  return true;
}

// Writes what `produce` writes beside `target`, then renames it over `target`.
bool ReplaceAtomically(const std::filesystem::path& target,
                       const std::function<bool(int)>& produce) {
  std::error_code error;
  const std::filesystem::path folder = target.parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  std::string tempPath;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath =
        target.string() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return false;
  struct stat existing {};
  if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    ::fchmod(fd, existing.st_mode & 07777);
  }
  bool ok = produce(fd) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = std::rename(tempPath.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(tempPath.c_str());
  return ok;
}

bool IsUsableName(std::string_view name, bool isSection) {
  if (name.empty() || Trim(name) != name) return false;
  for (char c : name) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  if (isSection) return name.find(']') == std::string_view::npos;
  return name.find('=') == std::string_view::npos && !name.starts_with('[');
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

Profile::Profile(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path Profile::DefaultPath() {
  if (std::string own = EnvOrEmpty("QUELVANE_PROFILE"); !own.empty()) return own;
  // A relative XDG_CONFIG_HOME is invalid and ignored, as the XDG rules say.
  if (std::string config = EnvOrEmpty("XDG_CONFIG_HOME"); config.starts_with('/')) {
    return std::filesystem::path(config) / "quelvane" / "quelvane.ini";
  }
  std::string home = EnvOrEmpty("HOME");
  if (home.empty()) {
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
      home = user->pw_dir;
    }
  }
  return std::filesystem::path(home) / ".config" / "quelvane" / "quelvane.ini";
}

std::int32_t Profile::GetProfileInt(std::string_view section, std::string_view key,
                                    std::int32_t defaultValue) const {
  const auto place = FindKey(file_, section, key);
  if (!place || !place->value) return defaultValue;
  return ReadAtoi(*place->value);
}

std::string Profile::GetProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  const auto place = FindKey(file_, section, key);
  if (!place || !place->value) return std::string(defaultValue);
  return *place->value;
}

bool Profile::WriteProfileInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteProfileString(section, key, std::to_string(value));
}

bool Profile::WriteProfileString(std::string_view section, std::string_view key,
                                 std::string_view value) {
  // A line break in a value would make lines of its own, which could read back as
  // other keys or sections: such a value is refused rather than written.
  if (!IsUsableName(section, true) || !IsUsableName(key, false) ||
      value.find_first_of("\r\n") != std::string_view::npos) {
    return false;
  }
  // A profile kept as a link (to a dotfiles folder, say) is replaced where it points.
  std::filesystem::path target = file_;
  std::error_code error;
  if (std::filesystem::is_symlink(target, error)) {
    const auto resolved = std::filesystem::weakly_canonical(target, error);
    if (!error) target = resolved;
  }

  KeyPlace place;
  FilePtr source(std::fopen(target.c_str(), "rb"));
  if (source) {
    auto found = FindKey(target, section, key);
    if (!found) return false;  // unreadable: better not to replace it with less
    place = std::move(*found);
  } else if (errno != ENOENT) {
    return false;
  }

  const std::string lineEnd = place.crlf ? "\r\n" : "\n";
  std::optional<std::uint64_t> replace;
  std::optional<std::uint64_t> insertAfter;
  std::string text;
  if (place.keyLine) {
    replace = place.keyLine;
    text = place.keyLineStart;
    text += value;
    text += place.keyLineEnd;
  } else if (place.sectionFound) {
    insertAfter = place.lastSectionLine;
    // An anchor line that is the last of a file without a final line feed gets one.
    if (place.lastSectionLine + 1 == place.lineCount && !place.lastLineEnded) text = lineEnd;
    text.append(key).append("=").append(value).append(lineEnd);
  } else {
    if (!place.lastLineEnded) text = lineEnd;
    if (place.lineCount > 0) text += lineEnd;
    text.append("[").append(section).append("]").append(lineEnd);
    text.append(key).append("=").append(value).append(lineEnd);
  }

  return ReplaceAtomically(target, [&](int fd) {
    if (!source) return WriteAll(fd, text);
    std::rewind(source.get());
    if (!replace && !insertAfter) {
      return CopyWithChange(source.get(), fd, std::nullopt, std::nullopt, {}) && WriteAll(fd, text);
    }
    return CopyWithChange(source.get(), fd, replace, insertAfter, text);
  });
}

std::string GetProfileField(const Profile& profile, std::string_view section, std::string_view key,
                            std::string_view defaultValue, std::size_t maxLength) {
  std::string text = profile.GetProfileString(section, key, defaultValue);
  if (text.size() > maxLength) text.resize(maxLength);
  return text;
}

ConversionOptions ReadConversionOptions(const Profile& profile) {
  constexpr std::string_view kGeneral = kProfileGeneral;
  constexpr std::string_view kSource = kProfileSourceSeparator;
  constexpr std::string_view kDestination = kProfileDestinationSeparator;
  const auto field = [&profile](std::string_view section, std::string_view key,
                                std::string_view defaultValue, std::size_t maxLength) {
    return GetProfileField(profile, section, key, defaultValue, maxLength);
  };
  ConversionOptions options;
  options.ValeursConnuesOnly = profile.GetProfileInt(kGeneral, "ValeursConnuesOnly", 1);
  options.NePasRecopierValeursIgnorees =
      profile.GetProfileInt(kGeneral, "NePasRecopierValeursIgnorees", 0);
  options.SeparateurSource = profile.GetProfileInt(kSource, "tabulation", 1) == 1
                                 ? std::string("\t")
                                 : field(kSource, "separateurs", "", kSeparatorMaxLength);
  options.CodeSource = profile.GetProfileInt(kGeneral, "CodeSource", 1);
  options.CodeDestination = profile.GetProfileInt(kGeneral, "CodeDestination", 2);
  options.PrefixeSicovam = field(kGeneral, "PrefixeSicovam", "", kPrefixMaxLength);
  options.SeparateurDestination = profile.GetProfileInt(kDestination, "tabulation", 1) == 1
                                      ? std::string("\t")
                                      : field(kDestination, "separateurs", "", kSeparatorMaxLength);
  options.LgSicoFixe = profile.GetProfileInt(kGeneral, "LgSicoFixe", 0);
  options.NbCharSico = profile.GetProfileInt(kGeneral, "NbCharSico", 6);
  options.ExtensionDestination =
      field(kGeneral, "ExtensionDestination", ".new", kExtensionMaxLength);
  options.OutputExtension = options.ExtensionDestination == ".new" ? ".new" : ".new.txt";
  options.CheminFichiersSource = field(kGeneral, "CheminFichiersSource", "", kFolderMaxLength);
  return options;
}

}  // namespace quelvane
