// Whether the rest of a line after a token is the following tokens joined by
// its one delimiter exactly: then the run copies it as it stands. Looked at
// sixteen bytes at a time where the compiler has vector types, byte by byte
// elsewhere; both give the same answer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace quelvane {

// True when no two delimiters stand side by side and none ends the text.
inline bool IsPlainlyJoinedByteByByte(std::string_view rest, char delimiter) {
  if (rest.empty()) return true;
  if (rest.back() == delimiter) return false;
  for (std::size_t i = 1; i < rest.size(); ++i) {
    if (rest[i] == delimiter && rest[i - 1] == delimiter) return false;
  }
  return true;
}

#if defined(__GNUC__)
inline constexpr bool kHasVectorTypes = true;

// Sixteen bytes at a time, against the same sixteen one byte on: a lane where
// both hold the delimiter is a run. The last block may overlap the one before;
// every pair of neighbours is in one block or the other.
inline bool IsPlainlyJoinedByBlocks(std::string_view rest, char delimiter) {
  const std::size_t size = rest.size();
  if (size <= 16) return IsPlainlyJoinedByteByByte(rest, delimiter);
  if (rest.back() == delimiter) return false;
  const char* bytes = rest.data();
  using Block = char __attribute__((vector_size(16)));
  const auto load = [](const char* from) {
    Block block;
    std::memcpy(&block, from, sizeof block);
    return block;
  };
  Block runs{};
  for (std::size_t i = 0; i + 17 <= size; i += 16) {
    runs |= (load(bytes + i) == delimiter) & (load(bytes + i + 1) == delimiter);
  }
  runs |= (load(bytes + size - 17) == delimiter) & (load(bytes + size - 16) == delimiter);
  std::uint64_t halves[2];
  std::memcpy(halves, &runs, sizeof halves);
  return (halves[0] | halves[1]) == 0;
}
#else
inline constexpr bool kHasVectorTypes = false;

inline bool IsPlainlyJoinedByBlocks(std::string_view rest, char delimiter) {
  return IsPlainlyJoinedByteByByte(rest, delimiter);
}
#endif

inline bool IsPlainlyJoined(std::string_view rest, char delimiter) {
  return IsPlainlyJoinedByBlocks(rest, delimiter);
}

}  // namespace quelvane
