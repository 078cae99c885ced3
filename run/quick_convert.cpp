#include "run/quick_convert.h"

#include "core/code_rules.h"
#include "core/text.h"
#include "run/run_texts.h"

namespace quelvane {
namespace {

std::string Line(std::string_view label, std::string_view utf8) {
  std::string line(label);
  line += " : '";
  line += utf8;
  line += '\'';
  return line;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Codes come pasted from spreadsheet cells: the blanks around one, and one pair
// of quotes around it, are not part of the code.
std::string_view TypedCode(std::string_view typed) {
  std::string_view text = TrimBlanks(typed);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = TrimBlanks(text.substr(1, text.size() - 2));
  }
  return text;
}

}  // namespace

QuickConversion QuickConvert(const CodeTables& tables, std::string_view typedText) {
  const std::string_view text = TypedCode(typedText.substr(0, kQuickTextMaxLength));
  QuickConversion result;
  if (IsSicovamCode(text)) {
    result.recognised = true;
    // A text IsSicovamCode accepts begins with no prefix: it always has an ISIN.
    const std::optional<IsinConversion> isin = SicovamToIsin(tables, text);
    if (isin->kind == MatchKind::Computed) result.note = QuickNote::kComputedIsin;
    result.sicovamLine = Line("SICOVAM", Cp1252ToUtf8(text));
    // A user-table ISIN comes from table.txt, which may be UTF-8 or Windows-1252.
    result.isinLine = Line("ISIN", DisplayText(isin->isin));
  } else if (IsIsinShape(text)) {
    result.recognised = true;
    const auto code = IsinToSicovam(tables, text);
    result.isinLineFirst = true;
    result.isinLine = Line("ISIN", Cp1252ToUtf8(text));
    result.sicovamLine = Line("SICOVAM", Cp1252ToUtf8(code.code));
  } else {
    result.note = QuickNote::kNotACode;
  }
  return result;
}

}  // namespace quelvane
