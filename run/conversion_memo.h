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
#include "core/text.h"

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

  // The remembered result, or nothing. The pointer is good until the next Find;
  // the text it shows lives as long as the memo (a stored slot never changes).
  const CodeResult* Find(std::string_view token) {
    if (token.size() > kLongest || Resting()) return nullptr;
    for (std::size_t i = IndexOf(Hash(token));; i = (i + 1) & (kSlots - 1)) {
      const Slot& slot = slots_[i];
      if (slot.tokenLength == 0) return nullptr;
      if (slot.tokenLength == token.size() + 1 &&
          std::memcmp(slot.token, token.data(), token.size()) == 0) {
        found_ = {slot.recognised, slot.kind, std::string_view(slot.text, slot.textLength)};
        ++hits_;
        return &found_;
      }
    }
  }

  // Remembers a token not yet remembered, while there is room: once half the
  // slots are taken, new tokens are no longer remembered (a file of ever new codes
  // gains nothing from it, and searches stay short).
  void Store(std::string_view token, const CodeResult& result) {
    if (token.size() > kLongest || result.text.size() > kLongest || used_ >= kSlots / 2) return;
    std::size_t i = IndexOf(Hash(token));
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
  static constexpr std::size_t kWindow = 65536;
  static constexpr std::size_t kRest = 15 * kWindow;

  // Once the memo is full, a window of searches in which fewer than one in eight
  // hits (a file of ever new codes) is followed by a rest of fifteen windows
  // without searching, then a new window. A search costs a cache miss or two
  // and gives nothing such a file; skipping it changes no result, only where the
  // result comes from.
  bool Resting() {
    if (used_ < kSlots / 2) return false;
    if (resting_ > 0) {
      --resting_;
      return true;
    }
    if (++searched_ == kWindow) {
      if (hits_ * 8 < kWindow) resting_ = kRest;
      searched_ = hits_ = 0;
    }
    return false;
  }

  struct Slot {
    std::uint8_t tokenLength = 0;  // length + 1; 0 for an empty slot
    std::uint8_t textLength = 0;
    bool recognised = false;
    MatchKind kind = MatchKind::Computed;
    char token[kLongest];
    char text[kLongest];
  };

  // Eight bytes at a time: tokens are codes of 4 to 14 bytes, hashed on every line.
  static std::uint64_t Hash(std::string_view token) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = token.size();
    for (; token.size() > 8; token.remove_prefix(8)) {
      hash = (hash ^ HashWord(token)) * kMultiplier;
      hash ^= hash >> 32;
    }
    hash = (hash ^ HashWord(token)) * kMultiplier;
    return hash ^ (hash >> 29);
  }
  static std::size_t IndexOf(std::uint64_t hash) {
    return static_cast<std::size_t>(hash >> 40) & (kSlots - 1);
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::size_t searched_ = 0;  // searches in the current window
  std::size_t hits_ = 0;
  std::size_t resting_ = 0;  // searches still to skip
  CodeResult found_;
};

}  // namespace quelvane
