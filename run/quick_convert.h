// The single-code conversion behind the quick conversion dialog and
// "quelvane-cli code": what the dialog shows for one typed text (its texts are
// in run/run_texts.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelvane {

class CodeTables;

inline constexpr std::size_t kQuickTextMaxLength = 99;

// What one press of "Convertir" does, in order: the note (if any) is shown first,
// then the lines change; an absent line keeps its text. In the ISIN direction the
// ISIN line is set before the SICOVAM line. Texts are UTF-8.
// What the conversion has to say of the typed text before its lines change.
enum class QuickNote {
  kNone,
  kComputedIsin,  // a code no table knows: its ISIN was computed (run_texts::kComputedIsinText)
  kNotACode,      // neither kind of code (run_texts::kNotACodeText)
};

struct QuickConversion {
  bool recognised = false;  // false: the text is neither kind, only the note shows
  QuickNote note = QuickNote::kNone;
  std::optional<std::string> sicovamLine;  // "SICOVAM : '...'"
  std::optional<std::string> isinLine;     // "ISIN : '...'"
  bool isinLineFirst = false;
};

// typedText is Windows-1252 text as typed; only its first 99 characters count,
// without the blanks and the one pair of double quotes around them.
QuickConversion QuickConvert(const CodeTables& tables, std::string_view typedText);

}  // namespace quelvane
