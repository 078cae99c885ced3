// The byte search of the browser's engine. The run looks for the line end on
// every line and for the delimiter after every code; the C library of the
// browser build compares four bytes at a time, a PC's sixteen or more. This one
// compares sixteen at a time with WebAssembly's vectors, and takes the C
// library's place for every search of the engine.
#include <wasm_simd128.h>

#include <cstddef>
#include <cstdint>

extern "C" void* memchr(const void* source, int value, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(source);
  const auto wanted = static_cast<unsigned char>(value);
  const auto at = [bytes](std::size_t i) { return const_cast<unsigned char*>(bytes + i); };
  if (size < 16) {
    for (std::size_t i = 0; i < size; ++i) {
      if (bytes[i] == wanted) return at(i);
    }
    return nullptr;
  }
  const v128_t pattern = wasm_i8x16_splat(static_cast<std::int8_t>(wanted));
  const auto firstIn = [&](std::size_t i) -> std::uint32_t {
    return wasm_i8x16_bitmask(wasm_i8x16_eq(wasm_v128_load(bytes + i), pattern));
  };
  std::size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    if (const std::uint32_t hits = firstIn(i); hits != 0) {
      return at(i + static_cast<std::size_t>(__builtin_ctz(hits)));
    }
  }
  // The last sixteen bytes, overlapping the block before: bytes already looked
  // at hold no hit, so the first hit of the block is the first of the rest.
  if (i < size) {
    if (const std::uint32_t hits = firstIn(size - 16); hits != 0) {
      return at(size - 16 + static_cast<std::size_t>(__builtin_ctz(hits)));
    }
  }
  return nullptr;
}
