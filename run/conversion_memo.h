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
#include "core/code_tables.h"  // kUserIsinMaxLength
#include "core/text.h"

namespace quelvane {

class ConversionMemo {
 public:
  // Tokens and results longer than this are not remembered: the longest a code
  // of either kind can be is a text of the user's table.
  static constexpr std::size_t kLongest = kUserIsinMaxLength;

  ConversionMemo() : index_(kSlots) { entries_.reserve(kMostEntries); }

  // Sets `result` to the remembered result and returns true, or returns false.
  // The text it shows lives as long as the memo (a stored entry never changes).
  // The fields are written one by one into the caller's result, which is read
  // field by field: a copy of the whole, just written, would wait on the stores.
  bool Find(std::string_view token, CodeResult& result) {
    if (token.size() > kLongest || Resting()) return false;
    // A quote file gives its securities in the same order day after day, or one
    // security line after line: the code that followed the last one found last
    // time is tried first, from memory the processor has most likely fetched
    // already. The hash finds the others.
    std::size_t found = kNone;
    if (last_ != kNone && Holds(entries_[entries_[last_].next], token)) {
      found = entries_[last_].next;
    } else {
      for (std::size_t i = IndexOf(HashText(token)); index_[i] != 0; i = (i + 1) & (kSlots - 1)) {
        if (Holds(entries_[index_[i] - 1u], token)) {
          found = index_[i] - 1u;
          break;
        }
      }
      if (found == kNone) return false;
      if (last_ != kNone) entries_[last_].next = static_cast<std::uint16_t>(found);
    }
    last_ = found;
    ++hits_;
    const Entry& entry = entries_[found];
    result.recognised = entry.recognised;
    result.kind = static_cast<MatchKind>(entry.kind & kKindBits);
    result.text = std::string_view(entry.text, entry.textLength);
    result.moreThanCode = (entry.kind & kMoreThanCode) != 0;
    return true;
  }

  // Remembers a token not yet remembered, while there is room: once half the
  // slots are taken, new tokens are no longer remembered (a file of ever new codes
  // gains nothing from it, and searches stay short).
  void Store(std::string_view token, const CodeResult& result) {
    if (token.size() > kLongest || result.text.size() > kLongest || Full()) return;
    std::size_t i = IndexOf(HashText(token));
    while (index_[i] != 0) i = (i + 1) & (kSlots - 1);
    const auto position = static_cast<std::uint16_t>(entries_.size());
    index_[i] = static_cast<std::uint16_t>(position + 1u);
    Entry& entry = entries_.emplace_back();
    entry.tokenLength = static_cast<std::uint8_t>(token.size());
    std::memcpy(entry.token, token.data(), token.size());
    entry.textLength = static_cast<std::uint8_t>(result.text.size());
    if (!result.text.empty()) std::memcpy(entry.text, result.text.data(), result.text.size());
    entry.recognised = result.recognised;
    entry.kind = static_cast<std::uint8_t>(static_cast<unsigned>(result.kind) |
                                           (result.moreThanCode ? kMoreThanCode : 0u));
    entry.next = position;
    // Stored after a search that missed: the new code is the one that came next.
    if (last_ != kNone) entries_[last_].next = position;
    last_ = position;
  }

 private:
  static constexpr std::size_t kSlots = 16384;  // a power of two
  static constexpr std::size_t kMostEntries = kSlots / 2;
  static constexpr std::size_t kNone = SIZE_MAX;
  // An entry's kind byte also holds the result's moreThanCode: an entry is one
  // cache line, with no byte to spare.
  static constexpr unsigned kKindBits = 0x7Fu;
  static constexpr unsigned kMoreThanCode = 0x80u;
  static constexpr std::size_t kWindow = 65536;
  static constexpr std::size_t kRest = 15 * kWindow;

  bool Full() const { return entries_.size() >= kMostEntries; }

  // Once the memo is full, a window of searches in which fewer than one in eight
  // hits (a file of ever new codes) is followed by a rest of fifteen windows
  // without searching, then a new window. A search costs a cache miss or two
  // and gives nothing such a file; skipping it changes no result, only where the
  // result comes from.
  bool Resting() {
    if (!Full()) return false;
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

  // One cache line each, in the order they were stored.
  struct alignas(64) Entry {
    std::uint8_t tokenLength = 0;
    std::uint8_t textLength = 0;
    bool recognised = false;
    std::uint8_t kind = 0;   // a MatchKind, and kMoreThanCode
    std::uint16_t next = 0;  // the entry found after this one the last time
    char token[kLongest];
    char text[kLongest];
  };

  static bool Holds(const Entry& entry, std::string_view token) {
    return entry.tokenLength == token.size() && SameBytes(entry.token, token);
  }

  // Codes of 4 to 16 bytes compare in two loads per side (which may overlap),
  // where a call to memcmp would cost more than the comparison.
  static bool SameBytes(const char* stored, std::string_view token) {
    const char* data = token.data();
    const std::size_t size = token.size();
    if (size >= 8 && size <= 16) return SameEnds<std::uint64_t>(stored, data, size);
    if (size >= 4 && size < 8) return SameEnds<std::uint32_t>(stored, data, size);
    return std::memcmp(stored, data, size) == 0;
  }
  template <class Word>
  static bool SameEnds(const char* a, const char* b, std::size_t size) {
    Word a0, a1, b0, b1;
    std::memcpy(&a0, a, sizeof(Word));
    std::memcpy(&a1, a + size - sizeof(Word), sizeof(Word));
    std::memcpy(&b0, b, sizeof(Word));
    std::memcpy(&b1, b + size - sizeof(Word), sizeof(Word));
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }

  static std::size_t IndexOf(std::uint64_t hash) {
    return static_cast<std::size_t>(hash >> 40) & (kSlots - 1);
  }

  std::vector<std::uint16_t> index_;  // an entry's position + 1; 0 for an empty slot
  std::vector<Entry> entries_;
  std::size_t last_ = kNone;  // the entry last found or stored
  std::size_t searched_ = 0;  // searches in the current window
  std::size_t hits_ = 0;
  std::size_t resting_ = 0;  // searches still to skip
};

}  // namespace quelvane
