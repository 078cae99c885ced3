// Remembers what the code column's recent tokens gave. A quote file repeats the
// same few thousand codes day after day, and recognising and converting a code
// costs far more than finding it here. Results depend only on the token, the
// prefix and the tables, which stay the same for the whole of a run.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/code_rules.h"

namespace quelvane {

// What the code column's rule makes of one token.
struct CodeResult {
  bool recognised = false;  // a code of the source type
  MatchKind kind = MatchKind::Computed;
  std::string_view text;  // the converted code, when recognised
};

class ConversionMemo {
 public:
  // Tokens and results longer than this are not remembered.
  static constexpr std::size_t kLongest = 30;

  ConversionMemo() : slots_(kSlots) {}

  // The remembered result, or nothing. The view is valid until the next Store.
  const CodeResult* Find(std::string_view token) {
    if (token.size() > kLongest) return nullptr;
    for (std::size_t i = Index(token);; i = (i + 1) & (kSlots - 1)) {
      const Slot& slot = slots_[i];
      if (slot.tokenLength == 0) return nullptr;
      if (slot.tokenLength == token.size() + 1 &&
          std::memcmp(slot.token, token.data(), token.size()) == 0) {
        found_ = {slot.recognised, slot.kind, std::string_view(slot.text, slot.textLength)};
        return &found_;
      }
    }
  }

  // Remembers a token not yet remembered, while there is room: once half the
  // slots are taken, new tokens are no longer remembered (a file of ever new codes
  // gains nothing from it, and searches stay short).
  void Store(std::string_view token, const CodeResult& result) {
    if (token.size() > kLongest || result.text.size() > kLongest || used_ >= kSlots / 2) return;
    std::size_t i = Index(token);
    while (slots_[i].tokenLength != 0) i = (i + 1) & (kSlots - 1);
    Slot& slot = slots_[i];
    slot.tokenLength = static_cast<std::uint8_t>(token.size() + 1);
    std::memcpy(slot.token, token.data(), token.size());
    slot.textLength = static_cast<std::uint8_t>(result.text.size());
    if (!result.text.empty()) std::memcpy(slot.text, result.text.data(), result.text.size());
    slot.recognised = result.recognised;
    slot.kind = result.kind;
    ++used_;
  }

 private:
  static constexpr std::size_t kSlots = 16384;  // a power of two

  struct Slot {
    std::uint8_t tokenLength = 0;  // length + 1; 0 for an empty slot
    std::uint8_t textLength = 0;
    bool recognised = false;
    MatchKind kind = MatchKind::Computed;
    char token[kLongest];
    char text[kLongest];
  };

  static std::size_t Index(std::string_view token) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char c : token) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return static_cast<std::size_t>(hash ^ (hash >> 29)) & (kSlots - 1);
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  CodeResult found_;
};

}  // namespace quelvane
