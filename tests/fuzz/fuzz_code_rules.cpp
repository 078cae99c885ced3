// Any text through the recognisers and converters, with and without a prefix:
// no out-of-bounds access, the results keep their documented shapes, and the
// quick readers of plain codes answer as the general one.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/code_rules.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "run/quick_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const quelvane::CodeTables tables;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  // The first byte says how much of the rest is the prefix.
  const std::size_t prefixLength =
      all.empty() ? 0 : static_cast<std::size_t>(static_cast<unsigned char>(all[0])) % 4;
  const std::string_view rest = all.substr(all.empty() ? 0 : 1);
  const std::string_view prefix = rest.substr(0, prefixLength);
  const std::string_view text = rest.substr(prefix.size());

  if (quelvane::IsSicovamCode(text, prefix)) {
    const auto isin = quelvane::SicovamToIsin(tables, text, prefix);
    if (!isin || isin->isin.size() != 12) std::abort();
  }
  if (quelvane::IsIsinShape(text)) {
    const auto code = quelvane::IsinToSicovam(tables, text);
    if (code.code.size() > 11) std::abort();
  }
  // A plain code reads as the general reader reads it, and its digits read four
  // at a time as they read one by one.
  const auto plain = quelvane::ReadPlainSicovamNumber(text, prefix);
  if (plain && quelvane::ReadSicovamNumber(text, prefix) != plain) std::abort();
  if (text.size() >= prefix.size() &&
      quelvane::EqualsFoldingAsciiLetters(text.substr(0, prefix.size()), prefix) &&
      quelvane::ReadPlainSicovamDigits(text.substr(prefix.size())) != plain) {
    std::abort();
  }
  if (const auto digit = quelvane::ComputeIsinCheckDigit(text);
      digit && (*digit < '0' || *digit > '9')) {
    std::abort();
  }
  const auto quick = quelvane::QuickConvert(tables, text);
  if (quick.recognised != (quick.sicovamLine.has_value())) std::abort();
  if (quick.sicovamLine && !quelvane::IsValidUtf8(*quick.sicovamLine)) std::abort();

  if (!quelvane::IsValidUtf8(quelvane::DisplayText(text))) std::abort();
  if (quelvane::Utf8ToCp1252(quelvane::Cp1252ToUtf8(text)) != text) std::abort();
  (void)quelvane::ReadAtoi(text);
  return 0;
}
