// A fuzzed settings file, then a few writes of the program's keys: a value written
// reads back verbatim, and every other key reads what it read before the write.
// Layout of an input: a count byte (writes, keys to compare, whether the run's
// options are read at the end), the writes (a section byte, a key byte, a kind
// byte, then a length byte and that many value bytes, or four bytes of a number),
// one section byte and one key byte per key to compare, then the file.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "run/profile.h"
#include "run/settings.h"

namespace {

// The program's own sections and keys, as its profiles hold them.
constexpr std::array<std::string_view, 3> kSections = {"General", "Separateur Source",
                                                       "Separateur Destination"};
constexpr std::array<std::string_view, 11> kKeys = {
    "ValeursConnuesOnly",  "NePasRecopierValeursIgnorees",
    "tabulation",          "separateurs",
    "CodeSource",          "CodeDestination",
    "PrefixeSicovam",      "LgSicoFixe",
    "NbCharSico",          "ExtensionDestination",
    "CheminFichiersSource"};
// Never a value of the file: a missing key reads as this.
constexpr std::string_view kMissing = "\x01missing\x02";
// Only a file this short is sure to have no line longer than the head a read
// looks at, so that a written value always reads back whole.
constexpr std::size_t kShortFile = 60000;

struct Name {
  std::string section;
  std::string key;
  bool fromProgram = true;
};

class Input {
 public:
  explicit Input(std::string_view data) : data_(data) {}
  unsigned Byte() {
    if (data_.empty()) return 0;
    const auto value = static_cast<unsigned char>(data_.front());
    data_.remove_prefix(1);
    return value;
  }
  std::string_view Bytes(std::size_t count) {
    const std::string_view taken = data_.substr(0, count);
    data_.remove_prefix(taken.size());
    return taken;
  }
  std::string_view Rest() const { return data_; }

 private:
  std::string_view data_;
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A few section and key names as the file spells them: odd case and blanks are
// what the readers must see through.
std::vector<Name> NamesOfFile(std::string_view file) {
  std::vector<Name> names;
  std::string_view section;
  for (int line = 0; line < 64 && !file.empty() && names.size() < 4; ++line) {
    std::string_view text = file.substr(0, file.find('\n'));
    file.remove_prefix(std::min(file.size(), text.size() + 1));
    if (text.ends_with('\r')) text.remove_suffix(1);
    text = Trim(text);
    if (text.starts_with('[')) {
      section = Trim(text.substr(1, text.find(']') - 1));
    } else if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
      names.push_back({std::string(section), std::string(Trim(text.substr(0, equals))), false});
    }
  }
  return names;
}

std::string Recase(std::string_view name, unsigned how) {
  std::string text(name);
  for (char& c : text) {
    if (how == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (how == 2 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

Name PickName(unsigned sectionByte, unsigned keyByte, unsigned caseBits,
              const std::vector<Name>& ofFile) {
  if (keyByte >= 0xF0 && !ofFile.empty()) return ofFile[keyByte % ofFile.size()];
  return {Recase(kSections[sectionByte % kSections.size()], caseBits & 3u),
          Recase(kKeys[keyByte % kKeys.size()], (caseBits >> 2) & 3u), true};
}

bool SameName(const Name& a, const Name& b) {
  return quelvane::EqualsFoldingAsciiLetters(a.section, b.section) &&
         quelvane::EqualsFoldingAsciiLetters(a.key, b.key);
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  if (std::FILE* file = std::fopen(path.string().c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
}

// One write, then what every compared key reads after it: `seen` holds what
// they read before, and is brought up to date.
void CheckWrite(quelvane::Profile& profile, Input& input, const std::vector<Name>& ofFile,
                const std::vector<Name>& compared, std::vector<std::string>& seen, bool shortFile) {
  const unsigned sectionByte = input.Byte();
  const unsigned keyByte = input.Byte();
  const unsigned kind = input.Byte();
  const Name name = PickName(sectionByte, keyByte, kind >> 1, ofFile);

  std::string value;
  bool written = false;
  if ((kind & 1u) != 0) {
    const std::string_view bytes = input.Bytes(4);
    std::uint32_t number = 0;
    for (const char c : bytes) number = (number << 8) | static_cast<unsigned char>(c);
    const auto signedNumber = static_cast<std::int32_t>(number);
    written = profile.WriteProfileInt(name.section, name.key, signedNumber);
    if (written && shortFile &&
        profile.GetProfileInt(name.section, name.key, signedNumber ^ 1) != signedNumber) {
      std::abort();
    }
    value = std::to_string(signedNumber);
  } else {
    value = std::string(input.Bytes(input.Byte()));
    written = profile.WriteProfileString(name.section, name.key, value);
  }
  const bool lineBreak = value.find_first_of("\r\n") != std::string::npos;
  if (written == lineBreak) {
    // Names of the program are always usable: only a line break is refused.
    if (name.fromProgram || written) std::abort();
  }
  if (written && shortFile && profile.GetProfileString(name.section, name.key, kMissing) != value)
    std::abort();

  for (std::size_t i = 0; i < compared.size(); ++i) {
    std::string now = profile.GetProfileString(compared[i].section, compared[i].key, kMissing);
    if (written && SameName(compared[i], name)) {
      seen[i] = std::move(now);
    } else if (now != seen[i]) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  Input input(std::string_view(reinterpret_cast<const char*>(bytes), size));
  const unsigned counts = input.Byte();
  const unsigned writes = 1 + (counts & 3u);
  const unsigned extraCompared = (counts >> 2) & 3u;
  const bool readOptions = (counts & 0x10u) != 0;

  // The writes come before the file in the input, so they are read first and
  // replayed once the file is in place.
  Input ops = input;
  for (unsigned i = 0; i < writes; ++i) {
    input.Bytes(2);
    const unsigned kind = input.Byte();
    input.Bytes((kind & 1u) != 0 ? 4 : input.Byte());
  }
  std::vector<std::pair<unsigned, unsigned>> comparedBytes;
  for (unsigned i = 0; i < extraCompared; ++i) {
    const unsigned section = input.Byte();
    comparedBytes.emplace_back(section, input.Byte());
  }
  const std::string_view file = input.Rest();

  const std::vector<Name> ofFile = NamesOfFile(file);
  std::vector<Name> compared = ofFile;
  for (const auto& [section, key] : comparedBytes)
    compared.push_back(PickName(section, key, section >> 2, {}));

  // A folder of its own for each input, removed afterwards: libFuzzer may end
  // the process without running exit handlers.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("quelvane-fuzz-profile-" + std::to_string(::getpid()));
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  std::filesystem::create_directories(folder, ignored);
  const std::filesystem::path path = folder / "quelvane.ini";
  // An empty input stands for a profile that does not exist yet.
  if (!file.empty()) WriteFile(path, file);

  quelvane::Profile profile(path);
  const bool shortFile = file.size() < kShortFile;
  std::vector<std::string> seen;
  seen.reserve(compared.size());
  for (const Name& name : compared)
    seen.push_back(profile.GetProfileString(name.section, name.key, kMissing));
  for (unsigned i = 0; i < writes; ++i) CheckWrite(profile, ops, ofFile, compared, seen, shortFile);
  if (readOptions) (void)quelvane::ReadSettings(profile);
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
