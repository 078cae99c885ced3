// Any bytes as "table.txt": the loader must neither crash nor read out of bounds,
// and the indexes must agree with what the loaded entries say.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/code_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // A file of the C library on every system, as the loader reads one.
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fclose(file);
    return 0;
  }
  std::rewind(file);
  std::vector<quelvane::CodeEntry> entries = bytes.empty()
                                                 ? std::vector<quelvane::CodeEntry>{}
                                                 : quelvane::ReadUserCodeStream(file).entries;
  std::fclose(file);

  const quelvane::CodeTable table(entries);
  for (std::size_t i = 0; i < table.VisibleCount(); ++i) {
    const auto& entry = table.Entries()[i];
    if (entry.isin.size() > quelvane::kUserIsinMaxLength) std::abort();
    const quelvane::CodeEntry* byCode = table.FindByCode(entry.code);
    const quelvane::CodeEntry* byIsin = table.FindByIsin(entry.isin);
    // The first match wins, so the index never points past this entry.
    if (byCode == nullptr || byCode > &entry || byIsin == nullptr || byIsin > &entry) std::abort();
  }
  return 0;
}
