// The README and the manual page say what quelvane-cli does: the same exit
// statuses as its one table of them, and no option that --help does not know.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

const std::filesystem::path kSource = std::filesystem::path(QUELVANE_TEST_DATA) / ".." / "..";

std::string Help(std::vector<const char*> argv) {
  argv.insert(argv.begin(), "quelvane-cli");
  argv.push_back("--help");
  std::ostringstream out, err;
  Console console{out, err};
  EXPECT_EQ(RunCli(argv, console), kExitOk);
  return out.str();
}

// Runs of white space made one space: wrapped text compares with unwrapped.
std::string Flat(const std::string& text) {
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

std::set<std::string> Matches(const std::string& text, const std::regex& pattern) {
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.insert((*it)[1]);
  }
  return found;
}

TEST(Documentation, GivesTheExitStatusesOfTheOneTable) {
  const std::string readme = testing::ReadFile(kSource / "README.md");
  const std::string manual = testing::ReadFile(kSource / "docs/man/quelvane-cli.1.scd.in");
  const std::string help = Flat(Help({"convert"}));
  std::set<std::string> numbers;
  for (const ExitStatus& status : kConvertStatuses) {
    const std::string number = std::to_string(status.value);
    SCOPED_TRACE(number);
    numbers.insert(number);
    EXPECT_NE(readme.find("\n| " + number + " | " + std::string(status.meaning) + " |\n"),
              std::string::npos);
    EXPECT_NE(help.find(" " + number + " " + std::string(status.meaning)), std::string::npos);
  }
  // An interrupt ends the program as the system ends its own: the help says which,
  // and the README says both.
  EXPECT_NE(help.find(Flat(std::string(kInterruptedStatus))), std::string::npos) << help;
  if (testing::kOnWindows) {
    EXPECT_EQ(help.find("128"), std::string::npos) << help;
  }
  for (const char* status : {"128 + le numéro du signal", "`-1073741510`"}) {
    EXPECT_NE(readme.find(status), std::string::npos) << status;
  }
  // No status in the README's table or the manual that the table lacks.
  EXPECT_EQ(Matches(readme, std::regex("\n\\| ([0-9]+) \\| ")), numbers);
  const std::string returnCodes = manual.substr(manual.find("# CODE DE RETOUR"));
  EXPECT_EQ(
      Matches(returnCodes.substr(0, returnCodes.find("\n# ", 1)), std::regex("\n\\*([0-9]+)\\*\n")),
      numbers);
}

TEST(Documentation, NamesNoOptionThatHelpDoesNotKnow) {
  const std::string help = Help({}) + Help({"code"}) + Help({"convert"}) + Help({"table"});
  const std::regex option("(--?[a-z][a-z-]*)");
  const std::string readme = testing::ReadFile(kSource / "README.md");
  std::string readmeOptions;  // the first cells of the README's option table
  for (const std::string& cell : Matches(readme, std::regex("\n\\| (`-[^|]*)\\|"))) {
    readmeOptions += cell + "\n";
  }
  std::string manualOptions;  // the manual's option headings: "*-x*, *--long* _VALUE_"
  for (const std::string& heading :
       Matches(testing::ReadFile(kSource / "docs/man/quelvane-cli.1.scd.in"),
               std::regex("\n(\\*--?[a-z][^\n]*)\n\t"))) {
    manualOptions += heading + "\n";
  }
  for (const std::string* where : {&readmeOptions, &manualOptions}) {
    const std::set<std::string> named = Matches(*where, option);
    EXPECT_GE(named.size(), 10u) << *where;
    for (const std::string& name : named) {
      EXPECT_NE(help.find(name), std::string::npos) << name << " is not in --help";
    }
  }
}

}  // namespace
}  // namespace quelvane
