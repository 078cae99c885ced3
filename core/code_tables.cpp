#include "core/code_tables.h"

#include <array>
#include <memory>
#include <span>

#include "core/builtin_table.h"
#include "core/line_reader.h"
#include "core/text.h"

namespace quelvane {
namespace {

std::string FoldIsin(std::string_view isin) {
  std::string folded(isin);
  for (char& c : folded) c = FoldAsciiLetter(c);
  return folded;
}

// Splits off the next field of a "table.txt" line: runs of tabs and ';' separate
// fields, and leading ones are skipped, so no field is empty.
std::optional<std::string_view> NextField(std::string_view& rest) {
  const std::size_t start = rest.find_first_not_of("\t;");
  if (start == std::string_view::npos) {
    rest = {};
    return std::nullopt;
  }
  rest.remove_prefix(start);
  const std::size_t stop = std::min(rest.find_first_of("\t;"), rest.size());
  const std::string_view field = rest.substr(0, stop);
  rest.remove_prefix(stop);
  return field;
}

std::optional<CodeEntry> ParseUserLine(std::string_view line) {
  // The line is read as C text: it ends at a zero byte.
  line = line.substr(0, line.find('\0'));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.remove_suffix(1);
  }
  // Only a ';' in the very first column makes a comment.
  if (!line.empty() && line.front() == ';') return std::nullopt;
  const auto code = NextField(line);
  if (!code) return std::nullopt;
  const auto isin = NextField(line);
  if (!isin) return std::nullopt;
  return CodeEntry{ReadAtoi(*code), std::string(isin->substr(0, kUserIsinMaxLength))};
}

// An ISIN folded for lookup, on the stack for the usual lengths: lookups run for
// every value of a converted column.
class FoldedKey {
 public:
  explicit FoldedKey(std::string_view isin) : size_(isin.size()) {
    if (size_ > buffer_.size()) {
      heap_ = FoldIsin(isin);
      return;
    }
    for (std::size_t i = 0; i < size_; ++i) buffer_[i] = FoldAsciiLetter(isin[i]);
  }
  std::string_view View() const {
    return size_ > buffer_.size() ? std::string_view(heap_)
                                  : std::string_view(buffer_.data(), size_);
  }

 private:
  std::array<char, 32> buffer_;
  std::size_t size_;
  std::string heap_;
};

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

CodeTable::CodeTable(std::vector<CodeEntry> entries) : entries_(std::move(entries)) {
  while (visible_ < entries_.size() && entries_[visible_].code != kEndMarkerCode) ++visible_;
  byCode_.reserve(visible_);
  byIsin_.reserve(visible_);
  for (std::size_t i = 0; i < visible_; ++i) {
    const auto position = static_cast<std::uint32_t>(i);
    // emplace keeps the first entry of a key: the first match wins.
    byCode_.emplace(entries_[i].code, position);
    byIsin_.emplace(FoldIsin(entries_[i].isin), position);
    longestIsin_ = std::max(longestIsin_, entries_[i].isin.size());
  }
}

const CodeEntry* CodeTable::FindByCode(std::int32_t code) const {
  const auto hit = byCode_.find(code);
  return hit == byCode_.end() ? nullptr : &entries_[hit->second];
}

const CodeEntry* CodeTable::FindByIsin(std::string_view isin) const {
  if (isin.size() > longestIsin_) return nullptr;
  const FoldedKey key(isin);
  const auto hit = byIsin_.find(key.View());
  return hit == byIsin_.end() ? nullptr : &entries_[hit->second];
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

std::optional<std::vector<CodeEntry>> ReadUserCodeFile(const std::filesystem::path& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  return ReadUserCodeStream(file.get());
}

std::vector<CodeEntry> ReadUserCodeStream(std::FILE* file) {
  std::vector<CodeEntry> entries;
  LineReader reader(file);
  while (const auto line = reader.Next()) {
    if (auto entry = ParseUserLine(*line)) entries.push_back(std::move(*entry));
  }
  return entries;
}

void CodeTables::MergeIndexes() {
  knownByCode_.clear();
  knownByIsin_.clear();
  longestKnownIsin_ = 0;
  userVisible_ = 0;
  if (user_) {
    while (userVisible_ < user_->size() && (*user_)[userVisible_].code != kEndMarkerCode)
      ++userVisible_;
  }
  const CodeTable& builtin = BuiltinCodeTable();
  knownByCode_.reserve(userVisible_ + builtin.VisibleCount());
  knownByIsin_.reserve(userVisible_ + builtin.VisibleCount());
  // The user's pairs first: emplace keeps the first entry of a key, so a user pair
  // hides a built-in one and, within each table, the first match wins.
  const auto add = [this](std::span<const CodeEntry> entries, bool fromUser) {
    for (const CodeEntry& entry : entries) {
      knownByCode_.emplace(entry.code, KnownPair{&entry, fromUser});
      knownByIsin_.emplace(FoldIsin(entry.isin), KnownPair{&entry, fromUser});
      longestKnownIsin_ = std::max(longestKnownIsin_, entry.isin.size());
    }
  };
  if (user_) add(std::span(user_->data(), userVisible_), true);
  add(std::span(builtin.Entries().data(), builtin.VisibleCount()), false);
}

KnownPair CodeTables::FindByCode(std::int32_t code) const {
  const auto hit = knownByCode_.find(code);
  return hit == knownByCode_.end() ? KnownPair{} : hit->second;
}

KnownPair CodeTables::FindByIsin(std::string_view isin) const {
  if (isin.size() > longestKnownIsin_) return {};
  const FoldedKey key(isin);
  const auto hit = knownByIsin_.find(key.View());
  return hit == knownByIsin_.end() ? KnownPair{} : hit->second;
}

void CodeTables::CreateUserCodeTable() {
  user_.emplace();
  MergeIndexes();
}

bool CodeTables::LoadUserCodeTable(const std::filesystem::path& path) {
  auto pairs = ReadUserCodeFile(path);
  if (!pairs) return false;
  // New pairs go where the end marker stands: after the visible pairs.
  std::vector<CodeEntry> entries;
  if (user_) {
    entries = std::move(*user_);
    entries.resize(userVisible_);
  }
  entries.insert(entries.end(), std::make_move_iterator(pairs->begin()),
                 std::make_move_iterator(pairs->end()));
  user_ = std::move(entries);
  MergeIndexes();
  return true;
}

void CodeTables::FreeUserCodeTable() {
  user_.reset();
  MergeIndexes();
}

const CodeEntry* CodeTables::FindUserByCode(std::int32_t code) const {
  const KnownPair known = FindByCode(code);
  return known.fromUser ? known.entry : nullptr;
}
const CodeEntry* CodeTables::FindBuiltinByCode(std::int32_t code) const {
  return BuiltinCodeTable().FindByCode(code);
}
const CodeEntry* CodeTables::FindUserByIsin(std::string_view isin) const {
  // The run asks this of every token that is not ISIN-shaped: no lookup at all
  // while the user table is empty.
  if (userVisible_ == 0) return nullptr;
  const KnownPair known = FindByIsin(isin);
  return known.fromUser ? known.entry : nullptr;
}
const CodeEntry* CodeTables::FindBuiltinByIsin(std::string_view isin) const {
  return BuiltinCodeTable().FindByIsin(isin);
}

}  // namespace quelvane
