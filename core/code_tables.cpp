#include "core/code_tables.h"

#include <algorithm>
#include <array>
#include <memory>

#include "core/builtin_table.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "os/os.h"

namespace quelvane {
namespace {

// Splits off the next field of a "table.txt" line: runs of tabs and ';' separate
// fields, and leading ones are skipped, so no field is empty. A plain loop: the
// library's search for one of a set of characters makes a call per character.
std::optional<std::string_view> NextField(std::string_view& rest) {
  const auto separates = [](char c) { return c == '\t' || c == ';'; };
  std::size_t start = 0;
  while (start < rest.size() && separates(rest[start])) ++start;
  if (start == rest.size()) {
    rest = {};
    return std::nullopt;
  }
  std::size_t stop = start;
  while (stop < rest.size() && !separates(rest[stop])) ++stop;
  const std::string_view field = rest.substr(start, stop - start);
  rest.remove_prefix(stop);
  return field;
}

// The lines of a stream that stands at its start, which is put back there; none
// counted for a stream that stands elsewhere. Nothing when it could not be read
// or put back: the table is then unreadable.
std::optional<std::size_t> CountLinesAndRewind(std::FILE* file) {
  if (std::ftell(file) != 0) return std::size_t{0};
  std::array<char, std::size_t{1} << 16> block;
  std::size_t lines = 1;  // the last line may lack its '\n'
  for (;;) {
    const ReadOutcome got = ReadBytes(file, block.data(), block.size());
    if (got.failed) return std::nullopt;
    lines += static_cast<std::size_t>(std::count(block.data(), block.data() + got.bytes, '\n'));
    if (got.bytes < block.size()) break;
  }
  if (!RewindFile(file)) return std::nullopt;
  return lines;
}

// A spreadsheet quotes the cells it saves: "12027";"FR0000120271".
std::string_view Unquoted(std::string_view field) {
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') {
    return field.substr(1, field.size() - 2);
  }
  return field;
}

}  // namespace

std::string_view WithoutUtf8Mark(std::string_view firstLine) {
  return firstLine.starts_with(kUtf8Mark) ? firstLine.substr(kUtf8Mark.size()) : firstLine;
}

UserLine ParseUserLine(std::string_view line) {
  // The line is read as C text: it ends at a zero byte.
  line = line.substr(0, line.find('\0'));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.remove_suffix(1);
  }
  // Only a ';' in the very first column makes a comment.
  if (!line.empty() && line.front() == ';') return {UserLineKind::kComment, {}, false};
  auto code = NextField(line);
  if (!code) return {UserLineKind::kBlank, {}, false};
  auto isin = NextField(line);
  if (!isin) return {UserLineKind::kOneField, {}, false};
  code = Unquoted(*code);
  isin = Unquoted(*isin);
  return {UserLineKind::kPair,
          CodeEntry{ReadAtoi(*code), std::string(isin->substr(0, kUserIsinMaxLength))},
          isin->size() > kUserIsinMaxLength};
}

std::size_t VisibleEntryCount(const std::vector<CodeEntry>& entries) {
  std::size_t visible = 0;
  while (visible < entries.size() && entries[visible].code != kEndMarkerCode) ++visible;
  return visible;
}

CodeTable::CodeTable(std::vector<CodeEntry> entries)
    : entries_(std::move(entries)), visible_(VisibleEntryCount(entries_)) {
  byCode_.Reset(visible_, AdviseHugePages);
  byIsin_.Reset(visible_, AdviseHugePages);
  const auto isinAt = [this](std::uint32_t position) -> std::string_view {
    return entries_[position].isin;
  };
  for (std::size_t i = 0; i < visible_; ++i) {
    const auto position = static_cast<std::uint32_t>(i);
    byCode_.Add(entries_[i].code, position);
    byIsin_.Add(entries_[i].isin, position, isinAt);
  }
}

const CodeEntry* CodeTable::FindByCode(std::int32_t code) const {
  const auto hit = byCode_.Find(code);
  return hit ? &entries_[*hit] : nullptr;
}

const CodeEntry* CodeTable::FindByIsin(std::string_view isin) const {
  const auto hit = byIsin_.Find(
      isin, [this](std::uint32_t position) -> std::string_view { return entries_[position].isin; });
  return hit ? &entries_[*hit] : nullptr;
}

const CodeTable& BuiltinCodeTable() {
  static const CodeTable table = [] {
    std::vector<CodeEntry> entries;
    entries.reserve(kBuiltinRowCount);
    for (std::size_t i = 0; i < kBuiltinRowCount; ++i) {
      entries.push_back({kBuiltinRows[i].code, std::string(kBuiltinRows[i].isin)});
    }
    return CodeTable(std::move(entries));
  }();
  return table;
}

UserCodeFile ReadUserCodeFile(const std::filesystem::path& path) {
  // A pipe or a device is never waited on nor read without end: only a regular
  // file is a table, anything else counts as a file that cannot be opened.
  UserCodeFile table;
  const OpenedFile opened = OpenRegularFile(Utf8FromPath(path));
  if (!opened.file) {
    table.failure = opened.failure;
    return table;
  }
  return ReadUserCodeStream(opened.file.get());
}

UserCodeFile ReadUserCodeStream(std::FILE* file) {
  UserCodeFile table;
  std::vector<CodeEntry>& entries = table.entries;
  // A pair per line at most: room made once spares a large table the copies (and
  // the memory) of a vector that doubles as it grows.
  const auto lines = CountLinesAndRewind(file);
  if (!lines) {
    table.failure = OpenFailure::kReadError;
    return table;
  }
  entries.reserve(*lines);
  AdviseHugePages(entries.data(), *lines * sizeof(CodeEntry));
  LineReader reader(file);
  reader.DecodeIfUtf16();
  bool first = true;
  while (auto line = reader.Next()) {
    if (first) line = WithoutUtf8Mark(*line);
    first = false;
    if (UserLine parsed = ParseUserLine(*line); parsed.kind == UserLineKind::kPair) {
      entries.push_back(std::move(parsed.entry));
    }
  }
  if (reader.Failed()) {
    entries.clear();
    table.failure = reader.NotUtf16() ? OpenFailure::kNotUtf16 : OpenFailure::kReadError;
  }
  return table;
}

KnownPair CodeTables::PairAt(std::uint32_t position) const {
  if (position < userVisible_) return {&(*user_)[position], true};
  return {&BuiltinCodeTable().Entries()[position - userVisible_], false};
}

std::size_t CodeTables::KnownCount() const {
  return userVisible_ + BuiltinCodeTable().VisibleCount();
}

std::string_view CodeTables::IsinAt(std::uint32_t position) const {
  return PairAt(position).entry->isin;
}

void CodeTables::MergeIndexes() {
  userVisible_ = user_ ? VisibleEntryCount(*user_) : 0;
  const std::size_t count = KnownCount();
  // The user's pairs first: an index keeps the first entry of a key, so a user pair
  // hides a built-in one and, within each table, the first match wins.
  knownByCode_.Reset(count, AdviseHugePages);
  for (std::size_t i = 0; i < count; ++i) {
    const auto position = static_cast<std::uint32_t>(i);
    knownByCode_.Add(PairAt(position).entry->code, position);
  }
  knownByIsin_ = {};
  isinIndexMade_ = false;
}

// A run from SICOVAM to ISIN never looks an ISIN up: with a large table.txt, the
// ISIN index would be half of the load's time and memory for nothing.
const IsinIndex& CodeTables::KnownByIsin() const {
  if (isinIndexMade_) return knownByIsin_;
  const std::size_t count = KnownCount();
  const auto isinAt = [this](std::uint32_t position) { return IsinAt(position); };
  knownByIsin_.Reset(count, AdviseHugePages);
  for (std::size_t i = 0; i < count; ++i) {
    const auto position = static_cast<std::uint32_t>(i);
    knownByIsin_.Add(IsinAt(position), position, isinAt);
  }
  isinIndexMade_ = true;
  return knownByIsin_;
}

KnownPair CodeTables::FindByIsin(std::string_view isin) const {
  const auto hit =
      KnownByIsin().Find(isin, [this](std::uint32_t position) { return IsinAt(position); });
  return hit ? PairAt(*hit) : KnownPair{};
}

void CodeTables::CreateUserCodeTable() {
  user_.emplace();
  MergeIndexes();
}

TableLoad CodeTables::LoadUserCodeTable(const std::filesystem::path& path) {
  UserCodeFile file = ReadUserCodeFile(path);
  if (file.failure) return {file.failure};
  // The pairs move into the table as they are, without a second copy of a large file.
  user_ = std::move(file.entries);
  MergeIndexes();
  return {};
}

void CodeTables::FreeUserCodeTable() {
  user_.reset();
  MergeIndexes();
}

bool CodeTables::IsUserTableIsin(std::string_view text) const {
  // The run asks this of every token that is not ISIN-shaped: no lookup at all
  // while the user table is empty.
  return userVisible_ != 0 && FindByIsin(text).fromUser;
}

}  // namespace quelvane
