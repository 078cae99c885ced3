#include "run/profile.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "core/line_reader.h"
#include "core/text.h"
#include "os/os.h"

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

// The file as a whole, for where added lines go and how they end.
struct FileShape {
  std::uint64_t lineCount = 0;
  bool lastLineEnded = true;  // the file is empty or ends with a line feed
  bool crlf = false;          // the file's first line ends with CR LF
};

struct KeyName {
  std::string_view section;
  std::string_view key;
};

// Where a key stands in the file, or where it would go.
struct KeyPlace {
  bool sectionFound = false;
  std::optional<std::uint64_t> keyLine;  // the line holding the key
  std::string keyLineStart;              // that line up to and including its '='
  std::string keyLineEnd;                // that line's line end
  std::uint64_t lastSectionLine = 0;     // last non-blank line of the section
  std::optional<std::string> value;
};

struct FoundKeys {
  FileShape shape;
  std::vector<KeyPlace> places;  // one for each name asked for, in order
};

// Every key in one reading of the file. The first section of a name holds the
// key; its first line with the key wins.
std::optional<FoundKeys> FindKeys(LineReader& reader, std::span<const KeyName> names) {
  FoundKeys found;
  found.places.resize(names.size());
  std::vector<bool> inSection(names.size(), false);
  const bool read = ForEachLine(reader, [&](std::uint64_t index, const LineHead& line) {
    if (index == 0) found.shape.crlf = line.endsWithCrLf;
    found.shape.lineCount = index + 1;
    found.shape.lastLineEnded = line.endsWithLf;
    const ParsedLine parsed = Parse(line);
    const bool blank = Trim(line.text).empty();
    for (std::size_t i = 0; i < names.size(); ++i) {
      KeyPlace& place = found.places[i];
      if (parsed.kind == ParsedLine::kSection) {
        inSection[i] =
            !place.sectionFound && EqualsFoldingAsciiLetters(parsed.name, names[i].section);
        if (inSection[i]) {
          place.sectionFound = true;
          place.lastSectionLine = index;
        }
        continue;
      }
      if (!inSection[i]) continue;
      if (!blank) place.lastSectionLine = index;
      if (parsed.kind == ParsedLine::kKey && !place.keyLine &&
          EqualsFoldingAsciiLetters(parsed.name, names[i].key)) {
        place.keyLine = index;
        place.value = std::string(parsed.value);
        place.keyLineStart = std::string(line.text.substr(0, parsed.valueStart));
        place.keyLineEnd = line.endsWithCrLf ? "\r\n" : line.endsWithLf ? "\n" : "";
      }
    }
    return true;
  });
  if (!read) return std::nullopt;
  return found;
}

// The value of each key, in order, from one reading of the file: nothing for a
// key the file does not give, or for all of them when there is no file. Why the
// file could not be read, when it exists.
struct FoundValues {
  std::vector<std::optional<std::string>> values;
  std::optional<OpenFailure> failure;
};
FoundValues FindValues(const OpenedFile& opened, std::span<const KeyName> names) {
  FoundValues found;
  found.values.resize(names.size());
  if (!opened.file) {
    if (opened.failure != OpenFailure::kMissing) found.failure = opened.failure;
    return found;
  }
  LineReader reader(opened.file.get(), kLineHeadLimit, kLineHeadLimit);
  auto keys = FindKeys(reader, names);
  if (!keys) {
    found.failure = OpenFailure::kReadError;
    return found;
  }
  for (std::size_t i = 0; i < names.size(); ++i) found.values[i] = std::move(keys->places[i].value);
  return found;
}

// What a rewrite puts where: lines put in place of others, lines added after
// others, and lines added at the end.
struct FileChanges {
  std::map<std::uint64_t, std::string> replace;
  std::map<std::uint64_t, std::string> insertAfter;
  std::string append;
};

// Copies the file into fd line by line with the changes made.
bool CopyWithChanges(LineReader& reader, OsHandle fd, const FileChanges& changes) {
  std::uint64_t line = 0;
  bool lineOpen = false;  // a line whose line feed has not come yet
  const auto endLine = [&] {
    const auto replaced = changes.replace.find(line);
    if (replaced != changes.replace.end() && !WriteAll(fd, replaced->second)) return false;
    const auto added = changes.insertAfter.find(line);
    return added == changes.insertAfter.end() || WriteAll(fd, added->second);
  };
  while (const auto piece = reader.Next()) {
    if (!changes.replace.contains(line) && !WriteAll(fd, *piece)) return false;
    lineOpen = !piece->ends_with('\n');
    if (lineOpen) continue;
    if (!endLine()) return false;
    ++line;
  }
  if (reader.Failed()) return false;
  // A last line without a line feed still gets its change, before the end.
  if (lineOpen && !endLine()) return false;
  return WriteAll(fd, changes.append);
}

// The writes, made one after another, as changes to the file that was read: a
// key's line replaced, lines added after the last non-blank line of their
// section, new sections at the end in the order they were first written to.
FileChanges ChangesFor(const FoundKeys& found, std::span<const ProfileWrite> writes) {
  const FileShape& shape = found.shape;
  const std::string lineEnd = shape.crlf ? "\r\n" : "\n";
  FileChanges changes;
  std::vector<std::pair<std::string_view, std::string>> newSections;  // name, its lines
  for (std::size_t i = 0; i < writes.size(); ++i) {
    const ProfileWrite& write = writes[i];
    const KeyPlace& place = found.places[i];
    const std::string keyLine = std::string(write.key) + "=" + write.value + lineEnd;
    if (place.keyLine) {
      changes.replace[*place.keyLine] = place.keyLineStart + write.value + place.keyLineEnd;
    } else if (place.sectionFound) {
      changes.insertAfter[place.lastSectionLine] += keyLine;
    } else {
      auto section = std::find_if(newSections.begin(), newSections.end(), [&](const auto& s) {
        return EqualsFoldingAsciiLetters(s.first, write.section);
      });
      if (section == newSections.end()) {
        section = newSections.insert(newSections.end(), {write.section, std::string()});
      }
      section->second += keyLine;
    }
  }
  // A last line without a line feed gets one before whatever comes after it.
  if (!shape.lastLineEnded) {
    const auto after = changes.insertAfter.find(shape.lineCount - 1);
    if (after != changes.insertAfter.end()) {
      after->second.insert(0, lineEnd);
    } else if (!newSections.empty()) {
      changes.append = lineEnd;
    }
  }
  // A blank line stands between sections.
  bool first = shape.lineCount == 0;
  for (const auto& [name, lines] : newSections) {
    if (!first) changes.append += lineEnd;
    first = false;
    changes.append.append("[").append(name).append("]").append(lineEnd).append(lines);
  }
  return changes;
}

bool IsUsableName(std::string_view name, bool isSection) {
  if (name.empty() || Trim(name) != name) return false;
  for (char c : name) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  if (isSection) return name.find(']') == std::string_view::npos;
  return name.find('=') == std::string_view::npos && !name.starts_with('[');
}

// The writes the file can hold, each key once with the last value written to it.
// A line break in a value would make lines of its own, which could read back as
// other keys or sections: such a write is refused rather than made.
struct UsableWrites {
  std::vector<ProfileWrite> writes;
  bool refused = false;  // one or more were left out
};

UsableWrites SortOut(std::span<const ProfileWrite> writes) {
  UsableWrites usable;
  for (const ProfileWrite& write : writes) {
    if (!IsUsableName(write.section, true) || !IsUsableName(write.key, false) ||
        write.value.find_first_of("\r\n") != std::string::npos) {
      usable.refused = true;
      continue;
    }
    const auto same =
        std::find_if(usable.writes.begin(), usable.writes.end(), [&](const ProfileWrite& w) {
          return EqualsFoldingAsciiLetters(w.section, write.section) &&
                 EqualsFoldingAsciiLetters(w.key, write.key);
        });
    if (same != usable.writes.end()) {
      same->value = write.value;
    } else {
      usable.writes.push_back(write);
    }
  }
  return usable;
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
  const KeyName name{section, key};
  const auto value = FindValues(OpenForReading(Utf8FromPath(file_)), {&name, 1}).values.front();
  return value ? ReadAtoi(*value) : defaultValue;
}

std::string Profile::GetProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
  const ProfileRead read{section, key, defaultValue};
  return std::move(GetProfileStrings({&read, 1}).front());
}

std::vector<std::string> Profile::GetProfileStrings(std::span<const ProfileRead> reads) const {
  return ReadProfileStrings(reads).values;
}

Profile::Strings Profile::ReadProfileStrings(std::span<const ProfileRead> reads) const {
  std::vector<KeyName> names;
  for (const ProfileRead& read : reads) names.push_back({read.section, read.key});
  FoundValues found = FindValues(OpenForReading(Utf8FromPath(file_)), names);
  Strings strings{{}, found.failure};
  for (std::size_t i = 0; i < reads.size(); ++i) {
    strings.values.push_back(found.values[i] ? std::move(*found.values[i])
                                             : std::string(reads[i].defaultValue));
  }
  return strings;
}

bool Profile::WriteProfileInt(std::string_view section, std::string_view key, std::int32_t value) {
  return WriteProfileString(section, key, std::to_string(value));
}

bool Profile::WriteProfileString(std::string_view section, std::string_view key,
                                 std::string_view value) {
  const ProfileWrite write{section, key, std::string(value)};
  return WriteKeys({&write, 1});
}

bool Profile::WriteKeys(std::span<const ProfileWrite> allWrites) {
  const auto [writes, refused] = SortOut(allWrites);
  if (writes.empty()) return !refused;
  const std::string target = WriteTarget(file_);
  if (const std::string_view folder = SplitPath(target).folder; !folder.empty()) {
    CreateFolders(std::string(folder));
  }
  const FileLock lock(target + ".lock");
  if (!lock.Held()) return false;

  // The places of the keys and the copy come from one open file, under the lock.
  // The first write of the user's own profile starts from an earlier version's.
  FoundKeys found;
  found.places.resize(writes.size());
  OpenedFile source = OpenForReading(target);
  std::optional<LineReader> reader;
  if (source.file) {
    reader.emplace(source.file.get(), kLineHeadLimit, kLineHeadLimit);
    std::vector<KeyName> names;
    for (const ProfileWrite& write : writes) names.push_back({write.section, write.key});
    auto places = FindKeys(*reader, names);
    // Unreadable: better not to replace it with less.
    if (!places || !reader->Rewind()) return false;
    found = std::move(*places);
  } else if (source.failure != OpenFailure::kMissing) {
    return false;
  }

  const FileChanges changes = ChangesFor(found, writes);
  AtomicReplacement replacement(target);
  if (!replacement.Open()) return false;
  const bool written = reader ? CopyWithChanges(*reader, replacement.Handle(), changes)
                              : WriteAll(replacement.Handle(), changes.append);
  // Windows replaces no file that is still open: the copy's source is closed
  // first (the lock still keeps other writers out).
  reader.reset();
  source.file.reset();
  return written && replacement.Commit(/*durable=*/true) && !refused;
}

}  // namespace quelvane
