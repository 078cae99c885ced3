// A whole file conversion run over one fuzzed input file with fuzzed options and a
// fuzzed "table.txt". Layout of an input: a flags byte, a length byte, a table
// byte, then, when the table byte says there is a table.txt, its length (two bytes,
// low first) and its bytes; the source separator (a count byte, then up to 9
// bytes), the destination separator (the same), then the file. The output is
// compared with what a plain statement of the rules gives (ExpectedOutput), for
// UTF-16 files on the text they hold (ExpectedUtf16Output).
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_rules.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "run/process_files.h"
#include "tests/support/table_lookups.h"

namespace {

class AnsweringReporter final : public quelvane::RunReporter {
 public:
  explicit AnsweringReporter(bool yes) : yes_(yes) {}
  void RunRefused(quelvane::RunRefusal) override {}
  void RunStarted(std::int64_t) override {}
  void FileStarted(std::int64_t, std::int64_t, std::string_view) override {}
  void LogLine(std::string_view text) override { lines_ += !text.empty(); }
  bool GoOnWithoutSeparator(std::string_view) override { return yes_; }
  void FileDone(std::int64_t, std::int64_t) override {}
  void RunEnded(const quelvane::RunEnd&) override {}

 private:
  bool yes_;
  std::size_t lines_ = 0;
};

std::string TakeSeparator(std::string_view& data) {
  if (data.empty()) return "\t";
  const std::size_t length = static_cast<unsigned char>(data.front()) % 10u;
  data.remove_prefix(1);
  std::string separator(data.substr(0, length));
  data.remove_prefix(separator.size());
  return separator;
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (std::FILE* file = std::fopen(path.string().c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

// Table byte: bit 0 a table.txt exists, bit 1 it is loaded twice, bit 2 the user
// table is freed before the run.
constexpr unsigned kTablePresent = 1u;
constexpr unsigned kTableTwice = 2u;
constexpr unsigned kTableFreed = 4u;

std::string_view TakeTable(std::string_view& data, unsigned tableFlags) {
  if ((tableFlags & kTablePresent) == 0 || data.size() < 2) return {};
  const std::size_t length =
      static_cast<unsigned char>(data[0]) | (std::size_t{static_cast<unsigned char>(data[1])} << 8);
  data.remove_prefix(2);
  const std::string_view table = data.substr(0, length);
  data.remove_prefix(table.size());
  return table;
}

// Every pair before the end marker answers from the user table, whatever the
// built-in pairs.
void CheckUserPairsAnswer(const quelvane::CodeTables& tables,
                          const std::vector<quelvane::CodeEntry>* pairs, std::size_t visible) {
  for (std::size_t i = 0; i < visible; ++i) {
    const quelvane::CodeEntry& pair = (*pairs)[i];
    const quelvane::CodeEntry* byCode = quelvane::testing::FindUserByCode(tables, pair.code);
    if (byCode == nullptr || byCode->code != pair.code || !tables.FindByCode(pair.code).fromUser)
      std::abort();
    const quelvane::CodeEntry* byIsin = quelvane::testing::FindUserByIsin(tables, pair.isin);
    if (byIsin == nullptr || !quelvane::EqualsFoldingAsciiLetters(byIsin->isin, pair.isin))
      std::abort();
  }
}

// Loads table.txt as the program does, and checks what the user table answers.
void LoadTable(quelvane::CodeTables& tables, const std::filesystem::path& path,
               unsigned tableFlags) {
  // A table that starts as UTF-16 and is not is refused whole, and the user
  // table stays as it was; any other table loads.
  if (const quelvane::TableLoad load = tables.LoadUserCodeTable(path); !load) {
    if (load.failure != quelvane::OpenFailure::kNotUtf16 || tables.UserPairCount() != 0)
      std::abort();
    return;
  }
  const quelvane::UserCodeFile table = quelvane::ReadUserCodeFile(path);
  if (table.failure) std::abort();
  const std::vector<quelvane::CodeEntry>* pairs = &table.entries;
  const std::size_t visible = quelvane::VisibleEntryCount(*pairs);
  if (tables.UserPairCount() != visible) std::abort();
  CheckUserPairsAnswer(tables, &*pairs, visible);
  // A second load gives the table the file's pairs again, alone.
  if ((tableFlags & kTableTwice) != 0) {
    if (!tables.LoadUserCodeTable(path) || tables.UserPairCount() != visible) std::abort();
    CheckUserPairsAnswer(tables, &*pairs, visible);
  }
  if ((tableFlags & kTableFreed) != 0) {
    tables.FreeUserCodeTable();
    if (tables.HasUserCodeTable() || tables.UserPairCount() != 0) std::abort();
    for (std::size_t i = 0; i < visible && i < 8; ++i) {
      if (quelvane::testing::FindUserByCode(tables, (*pairs)[i].code) != nullptr ||
          tables.IsUserTableIsin((*pairs)[i].isin)) {
        std::abort();
      }
    }
  }
}

// The options as the model reads them, from the same flags as the run's.
struct Rules {
  bool copy;  // source and destination types are the same: nothing is converted
  bool isinSource;
  bool knownValuesOnly;
  bool skipIgnored;
  bool fixedLength;
  int width;
  std::string prefix;
  std::string sourceSeparator;
  std::string destinationSeparator;
};

// Where a field that starts with a quote at `start` ends: after the first quote
// that is not one of a doubled pair, when a delimiter or the line's end follows it.
std::optional<std::size_t> QuotedFieldEnd(std::string_view line, std::size_t start,
                                          std::string_view delimiters) {
  std::size_t i = start + 1;
  while (i < line.size()) {
    if (line.substr(i, 2) == "\"\"") {
      i += 2;
    } else if (line[i] == '"') {
      if (i + 1 == line.size() || delimiters.find(line[i + 1]) != std::string_view::npos)
        return i + 1;
      return std::nullopt;
    } else {
      ++i;
    }
  }
  return std::nullopt;
}

// The tokens of a line: the non-empty runs of bytes between any of the
// delimiters, a quoted field whole; the whole line when there are none.
std::vector<std::string_view> Tokens(std::string_view line, std::string_view delimiters) {
  if (delimiters.empty()) return {line};
  std::vector<std::string_view> tokens;
  std::size_t start = 0;
  while (start < line.size()) {
    std::size_t end = std::min(line.find_first_of(delimiters, start), line.size());
    if (end > start && line[start] == '"') {
      end = QuotedFieldEnd(line, start, delimiters).value_or(end);
    }
    if (end > start) tokens.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

// What a quoted token stands for ("" read as '"'); nothing for any other token.
std::optional<std::string> QuotedValue(std::string_view token) {
  if (token.size() < 2 || token.front() != '"' || token.back() != '"') return std::nullopt;
  std::string value;
  const std::string_view inner = token.substr(1, token.size() - 2);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '"' && (i + 1 == inner.size() || inner[++i] != '"')) return std::nullopt;
    value += inner[i];
  }
  return value;
}

// The lines of a file as the run takes them: split after each LF (after each CR
// in a file that holds no LF), every trailing CR and LF taken off, empty ones
// left out.
std::vector<std::string_view> Lines(std::string_view file) {
  const char lineEnd = file.find('\n') == std::string_view::npos ? '\r' : '\n';
  std::vector<std::string_view> lines;
  while (!file.empty()) {
    const std::size_t end = std::min(file.find(lineEnd), file.size() - 1) + 1;
    const std::string_view line = quelvane::StripTrailingLineEnds(file.substr(0, end));
    if (!line.empty()) lines.push_back(line);
    file.remove_prefix(end);
  }
  return lines;
}

bool IsCode(const Rules& rules, const quelvane::CodeTables& tables, std::string_view token) {
  return rules.isinSource ? quelvane::IsIsinShape(token) || tables.IsUserTableIsin(token)
                          : quelvane::IsSicovamCode(token, rules.prefix);
}

// The code column's field, by the general conversions rather than the run's
// quick ones; nothing when the line is left out.
std::optional<std::string> CodeField(const Rules& rules, const quelvane::CodeTables& tables,
                                     std::string_view token, bool unquoted = false) {
  if (rules.copy) return std::string(token);
  // A quoted code converts by its value alone, and goes back between its quotes.
  const auto value = unquoted ? std::nullopt : QuotedValue(token);
  if (value && IsCode(rules, tables, *value)) {
    const auto field = CodeField(rules, tables, *value, true);
    if (!field) return std::nullopt;
    return "\"" + *field + "\"";
  }
  if (value || !IsCode(rules, tables, token)) {
    if (rules.skipIgnored) return std::nullopt;
    return std::string(token);
  }
  std::string field;
  quelvane::MatchKind kind;
  if (rules.isinSource) {
    const quelvane::SicovamConversion code = quelvane::IsinToSicovam(tables, token);
    field = rules.prefix;
    if (rules.fixedLength && code.code.size() < static_cast<std::size_t>(rules.width))
      field.append(static_cast<std::size_t>(rules.width) - code.code.size(), '0');
    field += code.code;
    kind = code.kind;
  } else {
    const auto isin = quelvane::SicovamToIsin(tables, token, rules.prefix);
    if (!isin) std::abort();
    field = isin->isin;
    kind = isin->kind;
  }
  if (rules.knownValuesOnly && kind == quelvane::MatchKind::Computed) return std::nullopt;
  return field;
}

// What the run writes for the file: the code column is the leftmost of the first
// 100 in which a line holds a code of the source type; each line's tokens are
// joined by the destination separator, the code column's converted, and end in
// CR LF. Nothing (no output) when no line holds a code or the fixed length is out
// of bounds.
std::optional<std::string> ExpectedOutput(const Rules& rules, const quelvane::CodeTables& tables,
                                          std::string_view file) {
  if (rules.fixedLength && (rules.width < 5 || rules.width > 99)) return std::nullopt;
  // A UTF-8 mark is not part of the first line and comes back at the start.
  const std::string mark = file.starts_with("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" : "";
  file.remove_prefix(mark.size());
  const std::vector<std::string_view> lines = Lines(file);
  std::size_t column = 100;
  for (const std::string_view line : lines) {
    const std::vector<std::string_view> tokens = Tokens(line, rules.sourceSeparator);
    for (std::size_t i = 0; i < std::min(tokens.size(), column); ++i) {
      const std::string value = QuotedValue(tokens[i]).value_or(std::string(tokens[i]));
      if (IsCode(rules, tables, value)) column = i;
    }
  }
  if (column == 100) return std::nullopt;
  std::string output = mark;
  for (const std::string_view line : lines) {
    std::vector<std::string_view> tokens = Tokens(line, rules.sourceSeparator);
    std::optional<std::string> code;
    if (column < tokens.size()) {
      code = CodeField(rules, tables, tokens[column]);
      if (!code) continue;
      tokens[column] = *code;
    }
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      if (i > 0) output += rules.destinationSeparator;
      output += tokens[i];
    }
    output += "\r\n";
  }
  return output;
}

// The UTF-8 text of UTF-16 bytes in the byte order given, or nothing when they
// are not UTF-16 (an odd count, half a surrogate pair alone).
std::optional<std::string> Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint32_t> units;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    units.push_back(bigEndian ? a * 256u + b : b * 256u + a);
  }
  std::string text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t cp = units[i];
    if (cp >= 0xDC00 && cp <= 0xDFFF) return std::nullopt;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)
        return std::nullopt;
      cp = 0x10000 + (cp - 0xD800) * 0x400 + (units[++i] - 0xDC00);
    }
    if (cp < 0x80) {
      text += static_cast<char>(cp);
    } else if (cp < 0x800) {
      text += static_cast<char>(0xC0 | (cp >> 6));
      text += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      text += static_cast<char>(0xE0 | (cp >> 12));
      text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (cp >> 18));
      text += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return text;
}

// A UTF-16 file (its mark first) converts as its text in UTF-8 would, and is
// written in UTF-16 with its mark; nothing when either is not possible. The
// output is compared as the text it holds, which is one and only one UTF-16.
bool CheckUtf16Output(const Rules& rules, const quelvane::CodeTables& tables, std::string_view file,
                      const std::optional<std::string>& output) {
  const bool bigEndian = file.front() == '\xFE';
  const auto text = Utf16ToUtf8(file.substr(2), bigEndian);
  std::optional<std::string> expected;
  if (text) expected = ExpectedOutput(rules, tables, *text);
  if (expected && !quelvane::IsValidUtf8(*expected)) expected.reset();
  if (!expected || !output) return !expected && !output;
  if (output->substr(0, 2) != file.substr(0, 2)) return false;
  return Utf16ToUtf8(std::string_view(*output).substr(2), bigEndian) == expected;
}

std::optional<std::string> ReadFile(const std::filesystem::path& path) {
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  std::string bytes;
  char block[4096];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
    bytes.append(block, got);
  std::fclose(file);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view data(reinterpret_cast<const char*>(bytes), size);
  if (data.size() < 3) return 0;
  const auto flags = static_cast<unsigned char>(data[0]);
  const int length = static_cast<unsigned char>(data[1]) - 20;
  const unsigned tableFlags = static_cast<unsigned char>(data[2]);
  data.remove_prefix(3);
  const std::string_view table = TakeTable(data, tableFlags);

  quelvane::ConversionOptions options;
  if ((flags & 1u) != 0) options.SetDirection(quelvane::ConversionDirection::kIsinToSicovam);
  if ((flags & 0x80u) != 0) options.CodeDestination = options.CodeSource;  // no conversion
  options.ValeursConnuesOnly = (flags >> 1) & 1;
  options.NePasRecopierValeursIgnorees = (flags >> 2) & 1;
  options.LgSicoFixe = (flags >> 3) & 1;
  options.NbCharSico = length;
  options.ExtensionDestination =
      (flags & 0x10u) != 0 ? quelvane::OutputExtension::kNewTxt : quelvane::OutputExtension::kNew;
  if ((flags & 0x40u) != 0) options.PrefixeSicovam = "X";
  options.SeparateurSource = TakeSeparator(data);
  options.SeparateurDestination = TakeSeparator(data);

  // A folder of its own for each input, removed afterwards: libFuzzer may end
  // the process without running exit handlers.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quelvane-fuzz-run-" + std::to_string(::getpid()));
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string input = (folder / "quotes.txt").string();
  WriteFile(input, data);
  quelvane::CodeTables tables;
  if ((tableFlags & kTablePresent) != 0) {
    const std::filesystem::path tablePath = folder / "table.txt";
    WriteFile(tablePath, table);
    LoadTable(tables, tablePath, tableFlags);
  }
  AnsweringReporter reporter((flags & 0x20u) != 0);
  const quelvane::RunTotals totals =
      quelvane::ProcessFiles(options, {input, input}, tables, reporter);
  // An abandoned run (the separator question answered No) writes nothing of its own.
  if (!totals.abandoned) {
    const Rules rules{(flags & 0x80u) != 0,
                      (flags & 1u) != 0,
                      ((flags >> 1) & 1u) != 0,
                      ((flags >> 2) & 1u) != 0,
                      ((flags >> 3) & 1u) != 0,
                      length,
                      (flags & 0x40u) != 0 ? "X" : "",
                      options.SeparateurSource,
                      options.SeparateurDestination};
    const std::string extension = (flags & 0x10u) != 0 ? ".new.txt" : ".new";
    const auto output = ReadFile(input + extension);
    if (data.starts_with("\xFF\xFE") || data.starts_with("\xFE\xFF")) {
      if (!CheckUtf16Output(rules, tables, data, output)) std::abort();
    } else if (output != ExpectedOutput(rules, tables, data)) {
      std::abort();
    }
  }
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
