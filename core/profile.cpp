#include "core/profile.h"

#include <functional>
#include <optional>
#include <system_error>

#include "core/line_reader.h"
#include "core/os.h"
#include "core/text.h"

namespace quelvane {
namespace {

// A line is looked at through its first 64 KiB: enough for any section or key
// name and any value the program writes, and a binary or broken file of any size
// is read with bounded memory.
constexpr std::size_t kLineHeadLimit = std::size_t{1} << 16;

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
bool ForEachLine(LineReader& reader,
                 const std::function<bool(std::uint64_t, const LineHead&)>& visit) {
  std::uint64_t index = 0;
  std::string head;  // the head of a line that comes in pieces
  bool cut = false;
  while (const auto piece = reader.Next()) {
    const bool ends = piece->ends_with('\n');
    if (!ends && piece->size() == kLineHeadLimit && !cut) {
      head.assign(*piece);
      cut = true;
      continue;
    }
    if (cut && !ends) continue;  // the middle of a long line
    LineHead line;
    line.cut = cut;
    line.endsWithLf = ends;
    std::string_view text = cut ? std::string_view(head) : *piece;
    if (!cut && ends) {
      text.remove_suffix(1);
      if (text.ends_with('\r')) {
        text.remove_suffix(1);
        line.endsWithCrLf = true;
      }
    }
    line.text = text;
    cut = false;
    if (!visit(index++, line)) return true;
  }
  if (cut) {
    // A long last line without a line feed.
    LineHead line;
    line.text = head;
    line.cut = true;
    visit(index, line);
  }
  return !reader.Failed();
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
std::optional<KeyPlace> FindKey(LineReader& reader, std::string_view section,
                                std::string_view key) {
  KeyPlace place;
  bool inSection = false;
  const bool read = ForEachLine(reader, [&](std::uint64_t index, const LineHead& line) {
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

std::optional<KeyPlace> FindKey(const OpenedFile& opened, std::string_view section,
                                std::string_view key) {
  if (!opened.file) return std::nullopt;
  LineReader reader(opened.file.get(), kLineHeadLimit, kLineHeadLimit);
  return FindKey(reader, section, key);
}

// Copies the file into fd line by line, putting `text` in place of line `replace`
// or after line `insertAfter`, or at the end when neither is given.
bool CopyWithChange(LineReader& reader, OsHandle fd, std::optional<std::uint64_t> replace,
                    std::optional<std::uint64_t> insertAfter, std::string_view text) {
  std::uint64_t line = 0;
  bool placed = false;
  while (const auto piece = reader.Next()) {
    const bool replacing = replace && *replace == line;
    if (!replacing && !WriteAll(fd, *piece)) return false;
    if (!piece->ends_with('\n')) continue;
    if ((replacing || (insertAfter && *insertAfter == line)) && !WriteAll(fd, text)) return false;
    placed = placed || replacing || (insertAfter && *insertAfter == line);
    ++line;
  }
  if (reader.Failed()) return false;
  // The change belongs after the last line, which had no line feed, or at the end.
  return placed || WriteAll(fd, text);
}

// What a write puts where: the key's line replaced, a line added after the
// section's last one, or a new section at the end.
struct KeyChange {
  std::optional<std::uint64_t> replace;
  std::optional<std::uint64_t> insertAfter;
  std::string text;
};

KeyChange ChangeFor(const KeyPlace& place, std::string_view section, std::string_view key,
                    std::string_view value) {
  const std::string lineEnd = place.crlf ? "\r\n" : "\n";
  KeyChange change;
  std::string& text = change.text;
  if (place.keyLine) {
    change.replace = place.keyLine;
    text = place.keyLineStart;
    text += value;
    text += place.keyLineEnd;
  } else if (place.sectionFound) {
    change.insertAfter = place.lastSectionLine;
    // An anchor line that is the last of a file without a final line feed gets one.
    if (place.lastSectionLine + 1 == place.lineCount && !place.lastLineEnded) text = lineEnd;
    text.append(key).append("=").append(value).append(lineEnd);
  } else {
    if (!place.lastLineEnded) text = lineEnd;
    if (place.lineCount > 0) text += lineEnd;
    text.append("[").append(section).append("]").append(lineEnd);
    text.append(key).append("=").append(value).append(lineEnd);
  }
  return change;
}

bool IsUsableName(std::string_view name, bool isSection) {
  if (name.empty() || Trim(name) != name) return false;
  for (char c : name) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  if (isSection) return name.find(']') == std::string_view::npos;
  return name.find('=') == std::string_view::npos && !name.starts_with('[');
}

// A profile kept as a link (to a dotfiles folder, say) is replaced where it points.
std::string WriteTarget(const std::filesystem::path& file) {
  return WhereLinkPoints(Utf8FromPath(file));
}

}  // namespace

Profile::Profile(std::filesystem::path file) : file_(std::move(file)) {
  // The user's own profile, before its first write, still reads the settings an
  // earlier version of the program kept elsewhere.
  if (EnvironmentVariable("QUELVANE_PROFILE").empty() && file_ == DefaultPath()) {
    earlier_ = EarlierSettingsFiles();
  }
}

std::filesystem::path Profile::DefaultPath() {
  if (std::string own = EnvironmentVariable("QUELVANE_PROFILE"); !own.empty()) {
    return PathFromUtf8(own);
  }
  return PathFromUtf8(UserSettingsFolder()) / "quelvane.ini";
}

OpenedFile Profile::OpenForReading(const std::string& path) const {
  OpenedFile opened = OpenRegularFile(path);
  if (opened.file || opened.failure != OpenFailure::kMissing) return opened;
  for (const std::string& earlier : earlier_) {
    OpenedFile found = OpenRegularFile(earlier);
    if (found.file) return found;
  }
  return opened;
}

std::int32_t Profile::GetProfileInt(std::string_view section, std::string_view key,
                                    std::int32_t defaultValue) const {
  const auto place = FindKey(OpenForReading(Utf8FromPath(file_)), section, key);
  if (!place || !place->value) return defaultValue;
  return ReadAtoi(*place->value);
}

std::string Profile::GetProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  const auto place = FindKey(OpenForReading(Utf8FromPath(file_)), section, key);
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
  const std::string target = WriteTarget(file_);
  if (const std::string_view folder = SplitPath(target).folder; !folder.empty()) {
    CreateFolders(std::string(folder));
  }
  const FileLock lock(target + ".lock");
  if (!lock.Held()) return false;

  // The place of the key and the copy come from one open file, under the lock.
  // The first write of the user's own profile starts from an earlier version's.
  KeyPlace place;
  OpenedFile source = OpenForReading(target);
  std::optional<LineReader> reader;
  if (source.file) {
    reader.emplace(source.file.get(), kLineHeadLimit, kLineHeadLimit);
    auto found = FindKey(*reader, section, key);
    // Unreadable: better not to replace it with less.
    if (!found || !reader->Rewind()) return false;
    place = std::move(*found);
  } else if (source.failure != OpenFailure::kMissing) {
    return false;
  }

  const KeyChange change = ChangeFor(place, section, key, value);
  AtomicReplacement replacement(target);
  if (!replacement.Open()) return false;
  const bool written = reader ? CopyWithChange(*reader, replacement.Handle(), change.replace,
                                               change.insertAfter, change.text)
                              : WriteAll(replacement.Handle(), change.text);
  // Windows replaces no file that is still open: the copy's source is closed
  // first (the lock still keeps other writers out).
  reader.reset();
  source.file.reset();
  return written && replacement.Commit(/*durable=*/true);
}

}  // namespace quelvane
