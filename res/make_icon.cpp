// Packs the program's PNG pictures into one Windows icon file, each size kept as
// the PNG it is (Windows Vista and later read such entries), so the Windows
// program's icon is drawn from the same pictures as the Linux one.
//   make_icon OUT.ico IN.png...
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace {

struct Picture {
  std::vector<unsigned char> bytes;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

std::uint32_t BigEndian32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) << 24 |
         static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | static_cast<std::uint32_t>(bytes[at + 3]);
}

// A PNG's size is in its first chunk, IHDR, right after the signature.
bool ReadPicture(const char* path, Picture& picture) {
  std::ifstream in(path, std::ios::binary);
  picture.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  constexpr std::array<unsigned char, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (picture.bytes.size() < 24 ||
      !std::equal(kSignature.begin(), kSignature.end(), picture.bytes.begin())) {
    return false;
  }
  picture.width = BigEndian32(picture.bytes, 16);
  picture.height = BigEndian32(picture.bytes, 20);
  return picture.width > 0 && picture.width <= 256 && picture.height > 0 && picture.height <= 256;
}

void Put16(std::vector<unsigned char>& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}
void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: make_icon OUT.ico IN.png...\n", stderr);
    return 2;
  }
  const std::span<char*> inputs(argv + 2, static_cast<std::size_t>(argc - 2));
  std::vector<Picture> pictures(inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!ReadPicture(inputs[i], pictures[i])) {
      std::fprintf(stderr, "make_icon: %s is not a PNG of at most 256 pixels\n", inputs[i]);
      return 1;
    }
  }
  // ICONDIR, one ICONDIRENTRY per picture, then the pictures.
  std::vector<unsigned char> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, static_cast<std::uint32_t>(pictures.size()));
  auto offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
  for (const Picture& picture : pictures) {
    out.push_back(static_cast<unsigned char>(picture.width & 0xFF));  // 256 is written 0
    out.push_back(static_cast<unsigned char>(picture.height & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, static_cast<std::uint32_t>(picture.bytes.size()));
    Put32(out, offset);
    offset += static_cast<std::uint32_t>(picture.bytes.size());
  }
  for (const Picture& picture : pictures)
    out.insert(out.end(), picture.bytes.begin(), picture.bytes.end());
  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file.good() ? 0 : 1;
}
