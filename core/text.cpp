#include "core/text.h"

#include <array>
#include <limits>

namespace quelvane {
namespace {

bool IsAtoiSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Unicode code points of Windows-1252 bytes 0x80 to 0x9F. The five bytes the code
// page leaves undefined map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when invalid
// (overlong forms, surrogates and values past U+10FFFF are invalid).
std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  std::size_t len = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1Fu, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0Fu, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07u, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > text.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3Fu);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// Walks a UTF-8 text a character at a time: `character` gets each code point,
// `invalid` each byte that starts no valid sequence. Either stops the walk by
// returning false, and the walk then returns false.
template <class OnCharacter, class OnInvalid>
bool WalkUtf8(std::string_view text, OnCharacter character, OnInvalid invalid) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const std::size_t len = DecodeUtf8(text, i, cp);
    if (len == 0 ? !invalid() : !character(cp)) return false;
    i += len == 0 ? 1 : len;
  }
  return true;
}

}  // namespace

std::int32_t ReadAtoiGeneral(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsAtoiSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate as a negative number so that INT32_MIN is reachable, saturating.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < kMin) value = kMin;
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
      value = std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

bool EqualsFoldingAsciiLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiLetter(a[i]) != FoldAsciiLetter(b[i])) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view bytes) {
  return WalkUtf8(
      bytes, [](char32_t) { return true; }, [] { return false; });
}

bool AppendUtf16(std::string_view utf8, bool bigEndian, std::string& out) {
  const std::size_t start = out.size();
  const auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  const bool valid = WalkUtf8(
      utf8,
      [&](char32_t cp) {
        if (cp < 0x10000) {
          unit(cp);
        } else {
          unit(0xD800 + ((cp - 0x10000) >> 10));
          unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
        return true;
      },
      [] { return false; });
  if (!valid) out.resize(start);
  return valid;
}

std::size_t IncompleteUtf8Tail(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte: look further back
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out += c;
    } else if (b < 0xA0) {
      AppendUtf8(out, kHighControls[b - 0x80u]);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

namespace {

// The Windows-1252 byte of a character, or nothing.
std::optional<char> Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t k = 0; k < kHighControls.size(); ++k) {
    if (kHighControls[k] == cp) return static_cast<char>(0x80 + k);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> EncodeCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const bool whole = WalkUtf8(
      utf8,
      [&](char32_t cp) {
        const std::optional<char> byte = Cp1252Byte(cp);
        if (byte) out += *byte;
        return byte.has_value();
      },
      [] { return false; });
  if (!whole) return std::nullopt;
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  WalkUtf8(
      utf8,
      [&](char32_t cp) {
        out += Cp1252Byte(cp).value_or('?');
        return true;
      },
      [&] {
        out += '?';
        return true;
      });
  return out;
}

std::string DisplayText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

}  // namespace quelvane
