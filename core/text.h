// Small text rules shared by the whole program: numbers read the way the C
// library's atoi reads them, case folding of A to Z only, and the Windows-1252 /
// UTF-8 conversions between the bytes of quote files and what a person is shown.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace quelvane {

// Leading white space (space, \t, \n, \v, \f, \r), an optional sign, then decimal
// digits up to the first other character; 0 without digits. A value beyond the
// signed 32-bit range reads as the nearest limit, so that a profile edited by
// hand never wraps round to a value of the other sign.
// ReadAtoi for any text; ReadAtoi itself reads plain codes without a call.
std::int32_t ReadAtoiGeneral(std::string_view text);
inline std::int32_t ReadAtoi(std::string_view text) {
  // Codes are short runs of plain digits: up to nine of them cannot leave the
  // 32-bit range, so they are read here, without the general loop's saturation
  // and without a call. Any other text (a space, a sign, a tenth digit) takes the
  // general loop.
  const auto digit = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(text[i])) - '0';
  };
  const std::size_t shortest = text.size() < 9 ? text.size() : 9;
  std::int32_t value = 0;
  std::size_t i = 0;
  for (; i < shortest && digit(i) < 10; ++i)
    value = value * 10 + static_cast<std::int32_t>(digit(i));
  if (i > 0 && (i == text.size() || digit(i) >= 10)) return value;
  return ReadAtoiGeneral(text);
}

// Upper-cases a to z and leaves every other byte as it is.
constexpr char FoldAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Up to eight bytes as one word for hashing: the first eight, or all of a shorter
// text. Two loads (which may overlap) rather than a copy of variable length,
// which would cost a call and a stalled read on every code of a column; equal
// texts give equal words, and callers mix in the length to tell others apart.
inline std::uint64_t HashWord(std::string_view bytes) {
  const char* data = bytes.data();
  if (bytes.size() >= 8) {
    std::uint64_t word;
    std::memcpy(&word, data, 8);
    return word;
  }
  if (bytes.size() >= 4) {
    std::uint32_t low;
    std::uint32_t high;
    std::memcpy(&low, data, 4);
    std::memcpy(&high, data + bytes.size() - 4, 4);
    return low | (static_cast<std::uint64_t>(high) << 32);
  }
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i)
    word |= static_cast<std::uint64_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  return word;
}

// A hash of a short text (a code, an ISIN), eight bytes at a time: the code
// indexes and the run's memo hash a token on every line. `transform` may change
// each word before it is mixed in (the ISIN index folds a to z there).
struct SameWord {
  constexpr std::uint64_t operator()(std::uint64_t word) const { return word; }
};
inline constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ull;
template <class WordTransform = SameWord>
std::uint64_t HashText(std::string_view text, WordTransform transform = {}) {
  std::uint64_t hash = text.size() * kHashMultiplier;
  for (; text.size() > 8; text.remove_prefix(8)) {
    hash = (hash ^ transform(HashWord(text))) * kHashMultiplier;
    hash ^= hash >> 32;
  }
  hash = (hash ^ transform(HashWord(text))) * kHashMultiplier;
  return hash ^ (hash >> 31);
}

// Every trailing CR and LF removed, in any order and number; inner ones stay.
inline std::string_view StripTrailingLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// Equal when the texts differ at most in the case of the letters A to Z.
bool EqualsFoldingAsciiLetters(std::string_view a, std::string_view b);

// What programs put in front of a "UTF-8" text file.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsValidUtf8(std::string_view bytes);
// Appends the UTF-16 of a UTF-8 text in the byte order asked; false, with `out`
// as it was, when the text is not valid UTF-8.
bool AppendUtf16(std::string_view utf8, bool bigEndian, std::string& out);
// The bytes at the end of a text that begin a UTF-8 character without ending it.
std::size_t IncompleteUtf8Tail(std::string_view text);
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters with no Windows-1252 form become '?' (see EncodeCp1252 to refuse them).
std::string Utf8ToCp1252(std::string_view utf8);
// The Windows-1252 bytes of a UTF-8 text, or nothing when the text holds a
// character Windows-1252 lacks (or is not UTF-8).
std::optional<std::string> EncodeCp1252(std::string_view utf8);
// How bytes from a file or a command line are shown: as UTF-8 when they are
// valid UTF-8, otherwise decoded from Windows-1252.
std::string DisplayText(std::string_view bytes);

}  // namespace quelvane
