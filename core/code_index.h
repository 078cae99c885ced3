// Indexes from a SICOVAM code, or from an ISIN folded on A to Z, to the position
// of the first table entry that holds it. They keep positions only, never the
// texts: an ISIN is stored once, in its entry, however large the table.txt.
//
// Both are open-addressing tables of fixed size (room for the keys they are made
// for, half as much again empty), probed linearly: a lookup reads one or two
// adjacent slots, and a table of a million pairs costs 12 MB per index.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text.h"

namespace quelvane {

namespace code_index_detail {

// Slots for `count` keys: a third of them stay empty, so probe runs stay short
// and every probe ends at an empty slot.
inline std::size_t SlotCount(std::size_t count) {
  return count + count / 2 + 8;
}

// Maps the high 32 bits of a hash onto [0, size) without a division.
inline std::size_t SlotOf(std::uint64_t hash, std::size_t size) {
  return static_cast<std::size_t>(((hash >> 32) * static_cast<std::uint64_t>(size)) >> 32);
}

}  // namespace code_index_detail

// What the indexes ask of the system for their slots before they are first
// written, given by whoever builds them (the tables give the OS layer's
// AdviseHugePages): the slots of a large table are written in random order, one
// small page fault each otherwise.
using MemoryAdvice = void (*)(void* data, std::size_t bytes);

namespace code_index_detail {

// Empties `array` and gives it `count` value-initialised elements, advised
// before they are first written.
template <class T>
void ResetToEmpty(std::vector<T>& array, std::size_t count, MemoryAdvice advise) {
  array = {};
  array.reserve(count);
  advise(array.data(), count * sizeof(T));
  array.resize(count);
}

// Most keys looked for are in no table: the codes of a file of ever new codes,
// the tokens of an ISIN column. A bit per hash, set for every key, answers most
// of them from a few kilobytes that stay in the cache (sixteen bits or more per
// key let one in sixteen at most past it by chance), where the slots would each
// be a miss or a mispredicted probe.
class KeyFilter {
 public:
  void Reset(std::size_t count, MemoryAdvice advise) {
    std::size_t bits = 64;
    while (bits < count * kBitsPerKey) bits *= 2;
    ResetToEmpty(words_, bits / 64, advise);
  }
  void Add(std::uint64_t hash) {
    const std::size_t bit = BitOf(hash);
    words_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
  bool MayHold(std::uint64_t hash) const {
    const std::size_t bit = BitOf(hash);
    return (words_[bit / 64] >> (bit % 64) & 1) != 0;
  }

 private:
  static constexpr std::size_t kBitsPerKey = 16;
  std::size_t BitOf(std::uint64_t hash) const {
    return static_cast<std::size_t>(hash >> 16) & (words_.size() * 64 - 1);
  }

  std::vector<std::uint64_t> words_;
};

// The slots and the filter both indexes share, and their linear probing. A Slot
// has a `position` member: the entry's position + 1, 0 for an empty slot.
// `holds(slot)` tells whether a taken slot holds the key being added or sought.
template <class Slot>
class ProbedSlots {
 public:
  // Empties the slots and makes room for `count` keys; no more may be added.
  void Reset(std::size_t count, MemoryAdvice advise) {
    ResetToEmpty(slots_, SlotCount(count), advise);
    filter_.Reset(count, advise);
  }

  // Takes the first empty slot of the key's run unless a slot holds the key
  // already: the first entry wins.
  template <class Holds>
  void Add(std::uint64_t hash, const Slot& slot, const Holds& holds) {
    std::size_t i = SlotOf(hash, slots_.size());
    for (; slots_[i].position != 0; i = Next(i)) {
      if (holds(slots_[i])) return;
    }
    slots_[i] = slot;
    filter_.Add(hash);
  }

  template <class Holds>
  std::optional<std::uint32_t> Find(std::uint64_t hash, const Holds& holds) const {
    if (slots_.empty() || !filter_.MayHold(hash)) return std::nullopt;
    for (std::size_t i = SlotOf(hash, slots_.size()); slots_[i].position != 0; i = Next(i)) {
      if (holds(slots_[i])) return slots_[i].position - 1;
    }
    return std::nullopt;
  }

 private:
  std::size_t Next(std::size_t i) const { return i + 1 == slots_.size() ? 0 : i + 1; }

  std::vector<Slot> slots_;
  KeyFilter filter_;
};

}  // namespace code_index_detail

class CodeIndex {
 public:
  // Empties the index and makes room for `count` keys; no more may be added.
  void Reset(std::size_t count, MemoryAdvice advise) { slots_.Reset(count, advise); }

  // Records the position unless the code already has one: the first entry wins.
  void Add(std::int32_t code, std::uint32_t position) {
    slots_.Add(Hash(code), {code, position + 1},
               [code](const Slot& slot) { return slot.code == code; });
  }

  std::optional<std::uint32_t> Find(std::int32_t code) const {
    return slots_.Find(Hash(code), [code](const Slot& slot) { return slot.code == code; });
  }

 private:
  struct Slot {
    std::int32_t code = 0;
    std::uint32_t position = 0;  // the entry's position + 1; 0 for an empty slot
  };

  static std::uint64_t Hash(std::int32_t code) {
    const auto key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(code));
    return (key + 1) * kHashMultiplier;
  }

  code_index_detail::ProbedSlots<Slot> slots_;
};

// The ISIN of an entry is asked of the caller (`isinAt(position)`), which keeps
// the entries; keys compare whole, folding only A to Z.
class IsinIndex {
 public:
  void Reset(std::size_t count, MemoryAdvice advise) {
    slots_.Reset(count, advise);
    longest_ = 0;
  }

  template <class IsinAt>
  void Add(std::string_view isin, std::uint32_t position, const IsinAt& isinAt) {
    const std::uint64_t hash = HashText(isin, FoldWord);
    slots_.Add(hash, {static_cast<std::uint32_t>(hash), position + 1},
               [&](const Slot& slot) { return Holds(slot, hash, isin, isinAt); });
    if (isin.size() > longest_) longest_ = isin.size();
  }

  template <class IsinAt>
  std::optional<std::uint32_t> Find(std::string_view isin, const IsinAt& isinAt) const {
    // No key is longer: a long token costs nothing, not even its hash.
    if (isin.size() > longest_) return std::nullopt;
    const std::uint64_t hash = HashText(isin, FoldWord);
    return slots_.Find(hash, [&](const Slot& slot) { return Holds(slot, hash, isin, isinAt); });
  }

 private:
  struct Slot {
    std::uint32_t tag = 0;       // the low bits of the key's hash
    std::uint32_t position = 0;  // the entry's position + 1; 0 for an empty slot
  };

  // The tag spares reading the entry's text for all but the slot that holds it.
  template <class IsinAt>
  static bool Holds(const Slot& slot, std::uint64_t hash, std::string_view isin,
                    const IsinAt& isinAt) {
    return slot.tag == static_cast<std::uint32_t>(hash) &&
           EqualsFoldingAsciiLetters(isinAt(slot.position - 1), isin);
  }

  // FoldAsciiLetter on eight bytes at once: a byte from 'a' to 'z' loses 0x20,
  // every other byte (those of 0x80 and above included) stays as it is. Each
  // byte's high bit marks a comparison; no sum carries into the next byte,
  // since the low seven bits plus at most 0x1F stay below 0x100.
  static std::uint64_t FoldWord(std::uint64_t word) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    const std::uint64_t low7 = word & ~kHighBits;
    const std::uint64_t atLeastA = low7 + 0x1F1F1F1F1F1F1F1Full;  // 0x80 - 'a'
    const std::uint64_t pastZ = low7 + 0x0505050505050505ull;     // 0x80 - ('z' + 1)
    const std::uint64_t lower = atLeastA & ~pastZ & ~word & kHighBits;
    return word - (lower >> 2);  // 0x80 >> 2 is 0x20, in the same byte
  }

  code_index_detail::ProbedSlots<Slot> slots_;
  std::size_t longest_ = 0;
};

}  // namespace quelvane
