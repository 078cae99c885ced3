// Cost of one conversion, with an empty user table and with a full one of 9,999
// pairs: the indexes should make the table's size irrelevant.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/code_rules.h"
#include "core/code_tables.h"

namespace {

// Pairs 1,000,001..1,009,999 and their ISINs: never hit by the probes below, so
// every probe pays for a miss in the user table before the built-in one answers.
quelvane::CodeTables MakeTables(int userPairs) {
  quelvane::CodeTables tables;
  if (userPairs > 0) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("quelvane-bench-table-" + std::to_string(::getpid()) + ".txt");
    {
      std::ofstream out(path);
      for (int i = 1; i <= userPairs; ++i) {
        out << 1'000'000 + i << "\tQS" << 1'000'000'000 + i << "\tVALEUR " << i << "\n";
      }
    }
    tables.LoadUserCodeTable(path);
    std::filesystem::remove(path);
  }
  return tables;
}

const std::vector<std::string> kSicovamProbes = {"3007",   "10728",    "12345",
                                                 "603727", "20031113", "5794"};
const std::vector<std::string> kIsinProbes = {"FR0000030074", "fr0000003402", "FR0000123457",
                                              "NL0000102101", "DE000A0D6554", "ANN757371433"};

void BM_SicovamToIsin(benchmark::State& state) {
  const auto tables = MakeTables(static_cast<int>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    auto result = quelvane::SicovamToIsin(tables, kSicovamProbes[i++ % kSicovamProbes.size()]);
    benchmark::DoNotOptimize(result);
  }
}

void BM_IsinToSicovam(benchmark::State& state) {
  const auto tables = MakeTables(static_cast<int>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    auto result = quelvane::IsinToSicovam(tables, kIsinProbes[i++ % kIsinProbes.size()]);
    benchmark::DoNotOptimize(result);
  }
}

BENCHMARK(BM_SicovamToIsin)->ArgName("user_pairs")->Arg(0)->Arg(9999);
BENCHMARK(BM_IsinToSicovam)->ArgName("user_pairs")->Arg(0)->Arg(9999);

}  // namespace

BENCHMARK_MAIN();
