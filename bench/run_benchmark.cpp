// The file conversion run in process, without the cost of starting quelvane-cli:
// a whole run over a generated 16 MB quote file, in both directions, and the line
// splitting on its own. Also what closing the main window costs: its fourteen
// settings saved in one rewrite of the profile, beside the same keys written one
// by one, fourteen rewrites (each durable: written through to disk).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/code_rules.h"
#include "core/code_tables.h"
#include "run/process_files.h"
#include "run/settings.h"
#include "run/token_splitter.h"

namespace {

using quelvane::CodeTables;
using quelvane::ConversionOptions;

class SilentReporter final : public quelvane::RunReporter {
 public:
  void RunRefused(quelvane::RunRefusal) override {}
  void RunStarted(std::int64_t) override {}
  void FileStarted(std::int64_t, std::int64_t, std::string_view) override {}
  void LogLine(std::string_view) override {}
  bool GoOnWithoutSeparator(std::string_view) override { return true; }
  void FileDone(std::int64_t, std::int64_t) override {}
  void RunEnded(const quelvane::RunEnd&) override {}
};

constexpr std::size_t kFileBytes = std::size_t{16} << 20;

std::string QuoteLines(bool isin) {
  std::string text;
  char line[128];
  for (int i = 0; text.size() < kFileBytes; ++i) {
    const int code = 1000 + (i * 7919) % 3000;
    std::string isinCode =
        "FR" + std::string(9 - std::to_string(code).size(), '0') + std::to_string(code);
    isinCode += quelvane::ComputeIsinCheckDigit(isinCode).value_or('0');
    const int length =
        std::snprintf(line, sizeof line, "%s\t20240102\t12.50\t12.80\t12.10\t12.70\t153000\r\n",
                      isin ? isinCode.c_str() : std::to_string(code).c_str());
    text.append(line, static_cast<std::size_t>(length));
  }
  return text;
}

void RunOverFile(benchmark::State& state, bool isin) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("quelvane-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "quotes.txt").string();
  const std::string text = QuoteLines(isin);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);

  ConversionOptions options;
  options.ValeursConnuesOnly = 0;
  if (isin) options.SetDirection(quelvane::ConversionDirection::kIsinToSicovam);
  const CodeTables tables;
  SilentReporter reporter;
  for (auto _ : state) {
    benchmark::DoNotOptimize(quelvane::ProcessFiles(options, {path}, tables, reporter));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  std::filesystem::remove_all(folder);
}

void BM_RunSicovamToIsin(benchmark::State& state) {
  RunOverFile(state, false);
}
void BM_RunIsinToSicovam(benchmark::State& state) {
  RunOverFile(state, true);
}

void BM_SplitLine(benchmark::State& state) {
  const std::string line = "12345\t20240102\t12.50\t12.80\t12.10\t12.70\t153000";
  const quelvane::DelimiterSet delimiters(state.range(0) == 1 ? "\t" : "\t;,");
  for (auto _ : state) {
    quelvane::TokenCursor cursor(line, delimiters);
    while (const auto token = cursor.Next()) benchmark::DoNotOptimize(token->data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(line.size()));
}

// Arg 1: WriteSettings, as the window saves; arg 14: the same writes one by one.
void BM_SaveSettings(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() /
                      ("quelvane-bench-settings-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  quelvane::Profile profile(folder / "quelvane.ini");
  const quelvane::Settings settings;
  const std::vector<quelvane::ProfileWrite> writes = quelvane::SettingsWrites(settings);
  for (auto _ : state) {
    if (state.range(0) == 1) {
      benchmark::DoNotOptimize(quelvane::WriteSettings(profile, settings));
    } else {
      for (const quelvane::ProfileWrite& write : writes) {
        benchmark::DoNotOptimize(profile.WriteProfileString(write.section, write.key, write.value));
      }
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(BM_SaveSettings)->Arg(1)->Arg(14)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSicovamToIsin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunIsinToSicovam)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitLine)->Arg(1)->Arg(3);

BENCHMARK_MAIN();
