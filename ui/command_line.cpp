#include "ui/command_line.h"

namespace quelvane {

std::string CommandLineFromArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  std::size_t start = 0;
  while (start < line.size()) {
    const auto code = static_cast<unsigned char>(line[start]);
    if (code < 1 || code > 32) break;
    ++start;
  }
  return line.substr(start);
}

std::vector<std::string> SplitCommandLineWords(std::string_view commandLine) {
  std::vector<std::string> words;
  while (!commandLine.empty()) {
    const std::size_t start = commandLine.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    commandLine.remove_prefix(start);
    const std::size_t end = commandLine.find(' ');
    words.emplace_back(commandLine.substr(0, end));
    commandLine.remove_prefix(end == std::string_view::npos ? commandLine.size() : end);
  }
  return words;
}

}  // namespace quelvane
