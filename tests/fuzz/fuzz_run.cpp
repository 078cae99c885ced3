// A whole file conversion run over one fuzzed input file with fuzzed options.
// Layout of an input: a flags byte, a length byte, the source separator (a count
// byte, then up to 9 bytes), the destination separator (the same), then the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/code_tables.h"
#include "run/process_files.h"

namespace {

class AnsweringReporter final : public quelvane::RunReporter {
 public:
  explicit AnsweringReporter(bool yes) : yes_(yes) {}
  void SetStatusLines(const std::optional<std::string>&, const std::optional<std::string>&,
                      const std::optional<std::string>&,
                      const std::optional<std::string>&) override {}
  void AddLogLine(std::string_view text) override { lines_ += !text.empty(); }
  void SetLogRedraw(bool) override {}
  void ScrollLogToEnd() override {}
  quelvane::BoxAnswer MessageBox(std::string_view, std::string_view, quelvane::BoxType type) override {
    if (type != quelvane::BoxType::kQuestion) return quelvane::BoxAnswer::kOk;
    return yes_ ? quelvane::BoxAnswer::kYes : quelvane::BoxAnswer::kNo;
  }

 private:
  bool yes_;
  std::size_t lines_ = 0;
};

std::string TakeSeparator(std::string_view& data) {
  if (data.empty()) return "\t";
  const std::size_t length = static_cast<unsigned char>(data.front()) % 10u;
  data.remove_prefix(1);
  std::string separator(data.substr(0, length));
  data.remove_prefix(separator.size());
  return separator;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  std::string_view data(reinterpret_cast<const char*>(bytes), size);
  if (data.size() < 2) return 0;
  const auto flags = static_cast<unsigned char>(data[0]);
  const int length = static_cast<unsigned char>(data[1]) - 20;
  data.remove_prefix(2);

  quelvane::ConversionOptions options;
  if ((flags & 1u) != 0) {
    options.CodeSource = 2;
    options.CodeDestination = 1;
  }
  if ((flags & 0x80u) != 0) options.CodeDestination = options.CodeSource;  // no conversion
  options.ValeursConnuesOnly = (flags >> 1) & 1;
  options.NePasRecopierValeursIgnorees = (flags >> 2) & 1;
  options.LgSicoFixe = (flags >> 3) & 1;
  options.NbCharSico = length;
  options.OutputExtension = (flags & 0x10u) != 0 ? ".new.txt" : ".new";
  if ((flags & 0x40u) != 0) options.PrefixeSicovam = "X";
  options.SeparateurSource = TakeSeparator(data);
  options.SeparateurDestination = TakeSeparator(data);

  // A folder of its own for each input, removed afterwards: libFuzzer may end
  // the process without running exit handlers.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quelvane-fuzz-run-" + std::to_string(::getpid()));
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string input = (folder / "quotes.txt").string();
  if (std::FILE* file = std::fopen(input.c_str(), "wb")) {
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
  }
  const quelvane::CodeTables tables;
  AnsweringReporter reporter((flags & 0x20u) != 0);
  quelvane::ProcessFiles(options, {input, input}, tables, reporter);
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
