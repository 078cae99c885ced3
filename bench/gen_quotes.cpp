// Generates quote files for the benchmarks: Metastock-style daily quotes, seven
// tab-separated columns (code, date, open, high, low, close, volume), CR LF line
// ends, one line per security and day, the securities of a day one after another.
// Also writes a "table.txt" of 9,999 user pairs that covers half of the securities.
//
//   gen_quotes sicovam FILE BYTES            codes in column 1 are SICOVAM codes
//   gen_quotes isin FILE BYTES               codes in column 1 are ISIN codes
//   gen_quotes sicovam-distinct FILE BYTES   a random code (1 to 999,999) on every
//   gen_quotes isin-distinct FILE BYTES      line: nothing repeats for a memo to keep
//   gen_quotes files FOLDER COUNT LINES      COUNT small SICOVAM quote files
//   gen_quotes table FILE                    the user table
//   gen_quotes big-table FILE LINES          a user table of LINES distinct pairs
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_rules.h"

namespace {

constexpr int kSecurities = 3000;
constexpr int kTablePairs = 9999;
constexpr std::uint32_t kSeed = 20240102;

// A valid ISIN for a body of two letters and nine letters or digits.
std::string WithCheckDigit(std::string body) {
  body += quelvane::ComputeIsinCheckDigit(body).value_or('0');
  return body;
}

std::string ComputedIsin(int code) {
  char body[16];
  std::snprintf(body, sizeof body, "FR%09d", code);
  return WithCheckDigit(body);
}

// Securities of the market: distinct SICOVAM codes, and their ISIN. The first
// half are in the user table with ISINs of other countries; the second half are
// computed ones.
struct Security {
  int code;
  std::string isin;
};

std::vector<Security> MakeSecurities(std::mt19937& random) {
  std::uniform_int_distribution<int> codes(1000, 999999);
  std::vector<Security> securities;
  std::vector<bool> taken(1000000);
  const char* countries[] = {"NL", "DE", "BE", "IE", "IT", "US", "LU", "XS"};
  while (securities.size() < kSecurities) {
    const int code = codes(random);
    if (taken[static_cast<std::size_t>(code)]) continue;
    taken[static_cast<std::size_t>(code)] = true;
    std::string isin;
    if (securities.size() < kSecurities / 2) {
      char body[16];
      std::snprintf(body, sizeof body, "%s%09d", countries[securities.size() % 8],
                    static_cast<int>(random() % 1000000000u));
      isin = WithCheckDigit(body);
    } else {
      isin = ComputedIsin(code);
    }
    securities.push_back({code, isin});
  }
  return securities;
}

int WriteTable(const char* path) {
  std::mt19937 random(kSeed);
  const std::vector<Security> securities = MakeSecurities(random);
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  std::fprintf(out, "; 9,999 pairs for the benchmarks\r\n");
  int written = 0;
  for (int i = 0; i < kSecurities / 2; ++i, ++written) {
    std::fprintf(out, "%d\t%s\r\n", securities[static_cast<std::size_t>(i)].code,
                 securities[static_cast<std::size_t>(i)].isin.c_str());
  }
  // Codes no quote file uses: above those of the securities.
  for (int code = 1000001; written < kTablePairs; ++code, ++written) {
    char body[16];
    std::snprintf(body, sizeof body, "DE%09d", code);
    std::fprintf(out, "%d\t%s\r\n", code, WithCheckDigit(body).c_str());
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

int DateOfDay(int day) {
  return 20000103 + (day / 250) * 10000 + ((day % 250) / 21) * 100 + day % 21 + 1;
}

// One day's quote of a security whose last close was *close; returns its length.
std::size_t WriteQuoteLine(std::FILE* out, std::mt19937& random, const std::string& code, int date,
                           double& close) {
  char line[160];
  const double open = close;
  close *= 1.0 + (static_cast<double>(random() % 2001) - 1000.0) / 50000.0;
  const double high = std::max(open, close) * 1.01;
  const double low = std::min(open, close) * 0.99;
  const int length =
      std::snprintf(line, sizeof line, "%s\t%d\t%.2f\t%.2f\t%.2f\t%.2f\t%u\r\n", code.c_str(), date,
                    open, high, low, close, static_cast<unsigned>(random() % 5000000u));
  std::fwrite(line, 1, static_cast<std::size_t>(length), out);
  return static_cast<std::size_t>(length);
}

int WriteQuotes(const char* path, bool isin, std::uint64_t bytes) {
  std::mt19937 random(kSeed);
  const std::vector<Security> securities = MakeSecurities(random);
  std::vector<double> prices(securities.size());
  for (double& price : prices) price = 5.0 + static_cast<double>(random() % 20000) / 100.0;
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  std::uint64_t size = 0;
  for (int day = 0; size < bytes; ++day) {
    for (std::size_t i = 0; i < securities.size() && size < bytes; ++i) {
      const std::string code = isin ? securities[i].isin : std::to_string(securities[i].code);
      size += WriteQuoteLine(out, random, code, DateOfDay(day), prices[i]);
    }
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

// Every line a code drawn anew, so that almost every code of the file is one the
// run has not seen yet: the cost of recognising and converting, line after line.
int WriteDistinctQuotes(const char* path, bool isin, std::uint64_t bytes) {
  std::mt19937 random(kSeed);
  std::uniform_int_distribution<int> codes(1, 999999);
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  double close = 50.0;
  std::uint64_t size = 0;
  for (int line = 0; size < bytes; ++line) {
    const int code = codes(random);
    const std::string text = isin ? ComputedIsin(code) : std::to_string(code);
    size += WriteQuoteLine(out, random, text, DateOfDay(line / 3000), close);
    if (close < 1.0 || close > 1000.0) close = 50.0;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

// COUNT files of LINES lines each, named quotes-0000.txt and on: a folder of
// one file per security, as a data vendor delivers them.
int WriteQuoteFiles(const std::string& folder, int count, int lines) {
  std::mt19937 random(kSeed);
  const std::vector<Security> securities = MakeSecurities(random);
  for (int f = 0; f < count; ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "/quotes-%04d.txt", f);
    std::FILE* out = std::fopen((folder + name).c_str(), "wb");
    if (out == nullptr) return 1;
    const Security& security = securities[static_cast<std::size_t>(f) % securities.size()];
    const std::string code = std::to_string(security.code);
    double close = 5.0 + static_cast<double>(random() % 20000) / 100.0;
    for (int day = 0; day < lines; ++day) WriteQuoteLine(out, random, code, DateOfDay(day), close);
    if (std::fclose(out) != 0) return 1;
  }
  return 0;
}

// LINES pairs of distinct codes (from 1 up, in a shuffled order) and ISINs of
// several countries: the largest table.txt a user might keep.
int WriteBigTable(const char* path, int lines) {
  std::mt19937 random(kSeed);
  std::vector<int> codes(static_cast<std::size_t>(lines));
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<int>(i) + 1;
  std::shuffle(codes.begin(), codes.end(), random);
  const char* countries[] = {"FR", "NL", "DE", "BE", "IE", "IT", "US", "LU"};
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return 1;
  for (const int code : codes) {
    char body[16];
    std::snprintf(body, sizeof body, "%s%09d", countries[random() % 8],
                  static_cast<int>(random() % 1000000000u));
    std::fprintf(out, "%d\t%s\r\n", code, WithCheckDigit(body).c_str());
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view kind = argc > 1 ? argv[1] : "";
  if (kind == "table" && argc == 3) return WriteTable(argv[2]);
  if (kind == "big-table" && argc == 4) return WriteBigTable(argv[2], std::atoi(argv[3]));
  if ((kind == "sicovam" || kind == "isin") && argc == 4) {
    return WriteQuotes(argv[2], kind == "isin", std::strtoull(argv[3], nullptr, 10));
  }
  if ((kind == "sicovam-distinct" || kind == "isin-distinct") && argc == 4) {
    return WriteDistinctQuotes(argv[2], kind == "isin-distinct",
                               std::strtoull(argv[3], nullptr, 10));
  }
  if (kind == "files" && argc == 5) {
    return WriteQuoteFiles(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  std::fprintf(stderr,
               "usage: gen_quotes sicovam|isin|sicovam-distinct|isin-distinct FILE BYTES\n"
               "       gen_quotes files FOLDER COUNT LINES\n"
               "       gen_quotes table FILE | gen_quotes big-table FILE LINES\n");
  return 2;
}
