// Build tool: turns builtin_table.tsv into a C++ source, refusing (with the line
// number) any data that breaks what every data set must keep: codes unique and
// from 1 to 999,999; ISINs of two upper-case letters and ten upper-case letters or
// digits with a valid check digit.
#include <fstream>
#include <iostream>
#include <set>
#include <string>

#include "core/recognition.h"
#include "core/text.h"

namespace {

bool IsUpperOrDigit(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string CheckIsin(const std::string& isin) {
  if (isin.size() != 12) return "ISIN '" + isin + "' n'a pas 12 caractères";
  for (std::size_t i = 0; i < 12; ++i) {
    const bool ok = i < 2 ? (isin[i] >= 'A' && isin[i] <= 'Z') : IsUpperOrDigit(isin[i]);
    if (!ok) return "ISIN '" + isin + "' : caractère " + std::to_string(i + 1) + " invalide";
  }
  if (quelvane::ComputeIsinCheckDigit(std::string_view(isin).substr(0, 11)) != isin[11]) {
    return "ISIN '" + isin + "' : clé de contrôle invalide";
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: gen_builtin_table TABLE.tsv OUTPUT.cpp COUNT.h\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": impossible d'ouvrir le fichier\n";
    return 1;
  }
  std::string body;
  std::set<long> codes;
  std::size_t rows = 0;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    const auto fail = [&](const std::string& why) {
      std::cerr << argv[1] << ":" << lineNumber << ": " << why << "\n";
      return 1;
    };
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || line.find('\t', tab + 1) != std::string::npos) {
      return fail("une ligne doit être 'code<TAB>ISIN'");
    }
    const std::string codeText = line.substr(0, tab);
    const std::string isin = line.substr(tab + 1);
    if (codeText.empty() || codeText.size() > 6 ||
        codeText.find_first_not_of("0123456789") != std::string::npos) {
      return fail("code '" + codeText + "' : un nombre de 1 à 999999 est attendu");
    }
    const long code = std::stol(codeText);
    if (code < 1) return fail("code '" + codeText + "' : un nombre de 1 à 999999 est attendu");
    if (!codes.insert(code).second) return fail("code " + codeText + " en double");
    if (const std::string why = CheckIsin(isin); !why.empty()) return fail(why);
    body += "    {" + std::to_string(code) + ", \"" + isin + "\"},\n";
    ++rows;
  }
  if (rows == 0) {
    std::cerr << argv[1] << ": aucune paire\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << "// Generated from builtin_table.tsv by gen_builtin_table. Do not edit.\n"
      << "#include \"core/builtin_table.h\"\n\nnamespace quelvane {\n\n"
      << "extern const BuiltinRow kBuiltinRows[] = {\n"
      << body << "};\n\nextern const std::size_t kBuiltinRowCount = " << rows
      << ";\n\n}  // namespace quelvane\n";
  out.close();
  if (!out) {
    std::cerr << argv[2] << ": écriture impossible\n";
    return 1;
  }
  // The count as text, for the texts that tell users what the table holds.
  std::ofstream count(argv[3], std::ios::binary | std::ios::trunc);
  count << "// Generated from builtin_table.tsv by gen_builtin_table. Do not edit.\n"
        << "#pragma once\n#define QUELVANE_BUILTIN_PAIR_COUNT \"" << rows << "\"\n";
  count.close();
  if (!count) {
    std::cerr << argv[3] << ": écriture impossible\n";
    return 1;
  }
  return 0;
}
