// The engine's byte search (web/memchr.cpp) against a plain loop, run by node in
// make test-web: every length up to five blocks, at every start within a block,
// the byte at every place or nowhere, twice (the first counts), among bytes one
// bit away or on the other side of 0x80 (the vector compare takes bytes as
// signed). The text has the byte just outside it on both sides: a search that
// looked past its end would find it there.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const void* Expected(const unsigned char* bytes, unsigned char wanted, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] == wanted) return bytes + i;
  }
  return nullptr;
}

}  // namespace

int main() {
  constexpr unsigned char kWanted[] = {0x00, '\n', ';', 0x7F, 0x80, 0xE9, 0xFF};
  constexpr unsigned char kOtherBits[] = {0x01, 0x80};
  constexpr std::size_t kStarts[] = {0, 1, 7, 15};
  constexpr std::size_t kLongest = 80;
  std::vector<unsigned char> room(16 + 15 + kLongest + 16);
  long passed = 0;
  long failed = 0;
  for (const unsigned char wanted : kWanted) {
    for (const unsigned char bits : kOtherBits) {
      const auto other = static_cast<unsigned char>(wanted ^ bits);
      for (const std::size_t start : kStarts) {
        unsigned char* bytes = room.data() + 16 + start;
        for (std::size_t size = 0; size <= kLongest; ++size) {
          for (std::size_t at = 0; at <= size; ++at) {  // at == size: nowhere
            for (std::size_t second = at; second <= size; ++second) {
              std::memset(room.data(), wanted, room.size());
              std::memset(bytes, other, size);
              if (at < size) bytes[at] = wanted;
              if (second < size) bytes[second] = wanted;
              if (std::memchr(bytes, wanted, size) == Expected(bytes, wanted, size)) {
                ++passed;
              } else if (++failed <= 10) {
                std::printf("memchr 0x%02x among 0x%02x, %zu bytes from %zu, at %zu and %zu\n",
                            wanted, other, size, start, at, second);
              }
            }
          }
        }
      }
    }
  }
  std::printf("memchr: %ld passed, %ld failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
