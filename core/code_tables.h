// The two tables of known SICOVAM/ISIN pairs: the built-in data set and the user's
// own pairs from "table.txt". Every conversion looks in the user table first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_index.h"
#include "core/recognition.h"
#include "os/os.h"  // OpenFailure: why a table.txt could not be read

namespace quelvane {

// One SICOVAM/ISIN pair. In the user table the ISIN may be any text of up to 29
// characters, such as a 14-character special code.
struct CodeEntry {
  std::int32_t code = 0;
  std::string isin;
};

// A code of -1 ends a table wherever it stands: scans stop there and never match it.
inline constexpr std::int32_t kEndMarkerCode = -1;
// The entries a scan sees: those before the first end marker.
std::size_t VisibleEntryCount(const std::vector<CodeEntry>& entries);
// The user table keeps at most this many characters of an ISIN text.
inline constexpr std::size_t kUserIsinMaxLength = 29;

// An ordered list of pairs with indexes that answer exactly what a scan from the
// first entry to the first entry with code -1 answers: the first match wins and
// entries after a -1 are invisible. ISINs compare whole, folding only A to Z.
class CodeTable {
 public:
  CodeTable() = default;
  explicit CodeTable(std::vector<CodeEntry> entries);

  const CodeEntry* FindByCode(std::int32_t code) const;
  const CodeEntry* FindByIsin(std::string_view isin) const;

  // Every stored entry, the hidden ones after a -1 included.
  const std::vector<CodeEntry>& Entries() const { return entries_; }
  // The entries a scan sees: those before the first code -1.
  std::size_t VisibleCount() const { return visible_; }

 private:
  std::vector<CodeEntry> entries_;
  std::size_t visible_ = 0;
  CodeIndex byCode_;
  IsinIndex byIsin_;
};

// The built-in data set, in its table order. Constant for the life of the process.
const CodeTable& BuiltinCodeTable();

// What one line of a "table.txt" gives. The loader keeps the pairs and passes
// over the rest; `quelvane-cli table` says which line gave what.
enum class UserLineKind {
  kPair,
  kBlank,     // nothing but line ends, spaces, tabs or ';' after the first column
  kComment,   // a ';' in the very first column
  kOneField,  // a code with no ISIN beside it (a space does not separate fields)
};
struct UserLine {
  UserLineKind kind = UserLineKind::kBlank;
  CodeEntry entry;       // for kPair
  bool isinCut = false;  // the ISIN text was longer than kUserIsinMaxLength
};
// A field between one pair of quotes stands for what is between them.
UserLine ParseUserLine(std::string_view line);
// The first line of a table saved as "UTF-8" without its mark. A UTF-16 table
// is read as its text (LineReader::DecodeIfUtf16).
std::string_view WithoutUtf8Mark(std::string_view firstLine);

// What became of reading a "table.txt": its pairs, or why it could not be read
// whole. A table cut short by a read error is no table: half of it would drop or
// convert by rule the codes the user mapped in the other half.
struct UserCodeFile {
  std::vector<CodeEntry> entries;
  std::optional<OpenFailure> failure;  // kMissing: there is no such file
  bool Absent() const { return failure == OpenFailure::kMissing; }
};
UserCodeFile ReadUserCodeFile(const std::filesystem::path& path);
// The pairs of an open stream, read to its end, or why it could not be read.
UserCodeFile ReadUserCodeStream(std::FILE* file);

// What a conversion finds for a code or an ISIN: the user's pair if there is one,
// else the built-in one.
struct KnownPair {
  const CodeEntry* entry = nullptr;
  bool fromUser = false;
};

// What became of loading a table file: true when its pairs were added. A file
// that is absent (kMissing) is no table, which callers take as no error; one
// that exists and could not be read whole is an error to say.
struct TableLoad {
  std::optional<OpenFailure> failure;
  explicit operator bool() const { return !failure; }
  bool Absent() const { return failure == OpenFailure::kMissing; }
};

// The built-in table and the user table, owned by whoever converts (the main window
// or a command-line run) and passed to every conversion.
class CodeTables {
 public:
  // Creates the user table empty, as the main window's construction does.
  CodeTables() { CreateUserCodeTable(); }
  // The merged indexes point into the tables: moving keeps them, copying would not.
  CodeTables(const CodeTables&) = delete;
  CodeTables& operator=(const CodeTables&) = delete;
  CodeTables(CodeTables&&) = default;
  CodeTables& operator=(CodeTables&&) = default;

  void CreateUserCodeTable();
  // The user table becomes the pairs of the file (the program loads one, once);
  // when the file could not be read whole, says why and leaves the table untouched.
  TableLoad LoadUserCodeTable(const std::filesystem::path& path = "table.txt");
  void FreeUserCodeTable();

  // Whether the user table pairs this text with a code (it answers from the
  // merged indexes: a pair found there comes from the user table exactly when
  // the user table holds the key).
  bool IsUserTableIsin(std::string_view text) const;
  // Whether a token of a file stands for an ISIN: the shape of one, or a text
  // the user's table pairs with a code (a special code of 14 characters, say).
  bool IsIsinSideCode(std::string_view text) const {
    return IsIsinShape(text) || IsUserTableIsin(text);  // the cheap test first
  }

  // The user table, then the built-in one, in a single lookup: what a conversion
  // looks for costs the same whatever the size of the user table. By code inline:
  // a file of ever new codes asks it on every line, and most answers are "none"
  // from the index's filter.
  KnownPair FindByCode(std::int32_t code) const {
    const auto hit = knownByCode_.Find(code);
    return hit ? PairAt(*hit) : KnownPair{};
  }
  KnownPair FindByIsin(std::string_view isin) const;

  // Makes every index that lookups would make on demand: the tables can then be
  // read from several threads at once.
  void MakeIndexes() const { KnownByIsin(); }

  // Whether the user table exists: created and not yet freed.
  bool HasUserCodeTable() const { return user_.has_value(); }
  // The user pairs a lookup can see: those before the first code -1.
  std::size_t UserPairCount() const { return userVisible_; }

 private:
  void MergeIndexes();
  // The merged ISIN index, made at the first ISIN lookup after a change.
  const IsinIndex& KnownByIsin() const;
  // Positions in the merged indexes: the visible user pairs, then the built-in ones.
  KnownPair PairAt(std::uint32_t position) const;
  std::size_t KnownCount() const;
  std::string_view IsinAt(std::uint32_t position) const;

  std::optional<std::vector<CodeEntry>> user_;
  std::size_t userVisible_ = 0;
  CodeIndex knownByCode_;
  // Made on demand by a const lookup, or by MakeIndexes before threads share them.
  mutable IsinIndex knownByIsin_;
  mutable bool isinIndexMade_ = false;
};

}  // namespace quelvane
