// Finding one byte in a short text: a line's end, the delimiter after a code.
// Quote lines are a few dozen bytes, where a call to memchr costs more than the
// search itself, so the first 64 bytes are looked at sixteen at a time inline
// (where the compiler has vector types and bytes are stored low first), and
// memchr looks at the rest. Both give memchr's answer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace quelvane {

// The position of the first `c` in `text`, or npos: memchr's answer, by memchr.
inline std::size_t FindByteByMemchr(std::string_view text, char c) {
  if (text.empty()) return std::string_view::npos;
  const void* hit = std::memchr(text.data(), c, text.size());
  return hit == nullptr ? std::string_view::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

#if defined(__GNUC__)
inline constexpr bool kFindsByBlocks = std::endian::native == std::endian::little;

// Each block is compared whole; the first lane that holds `c` is the lowest set
// byte of the comparison, read as two words. Where the processor gathers a
// comparison's lanes into bits in one instruction (SSE2), the four blocks are
// looked at together when the text holds them: which block a line ends in
// changes from line to line, and a branch per block would often be guessed
// wrong.
inline std::size_t FindByteByBlocks(std::string_view text, char c) {
  constexpr std::size_t kInline = 64;
  using Block = char __attribute__((vector_size(16)));
  const char* data = text.data();
  const std::size_t size = text.size();
#if defined(__SSE2__)
  if (size >= kInline) {
    std::uint64_t lanes = 0;
    for (std::size_t block = 0; block < kInline / 16; ++block) {
      Block bytes;
      std::memcpy(&bytes, data + 16 * block, sizeof bytes);
      const auto bits = static_cast<unsigned>(__builtin_ia32_pmovmskb128(bytes == c));
      lanes |= std::uint64_t{bits} << (16 * block);
    }
    if (lanes != 0) return static_cast<std::size_t>(std::countr_zero(lanes));
    const std::size_t rest = FindByteByMemchr(text.substr(kInline), c);
    return rest == std::string_view::npos ? rest : kInline + rest;
  }
#endif
  std::size_t i = 0;
  for (; i + 16 <= size && i < kInline; i += 16) {
    Block block;
    std::memcpy(&block, data + i, sizeof block);
    const Block hits = block == c;
    std::uint64_t halves[2];
    std::memcpy(halves, &hits, sizeof halves);
    if (halves[0] != 0) return i + static_cast<std::size_t>(std::countr_zero(halves[0])) / 8;
    if (halves[1] != 0) return i + 8 + static_cast<std::size_t>(std::countr_zero(halves[1])) / 8;
  }
  const std::size_t rest = FindByteByMemchr(text.substr(i), c);
  return rest == std::string_view::npos ? rest : i + rest;
}
#else
inline constexpr bool kFindsByBlocks = false;

inline std::size_t FindByteByBlocks(std::string_view text, char c) {
  return FindByteByMemchr(text, c);
}
#endif

inline std::size_t FindByte(std::string_view text, char c) {
  if constexpr (kFindsByBlocks) return FindByteByBlocks(text, c);
  return FindByteByMemchr(text, c);
}

}  // namespace quelvane
