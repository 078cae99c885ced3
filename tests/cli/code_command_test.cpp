#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

struct Outcome {
  int status;
  std::string out, err;
};

// Runs "quelvane-cli code [--table TABLE] -- CODES" as main() does.
Outcome RunCode(const std::vector<std::string>& codes, std::optional<std::string> table = {}) {
  std::vector<const char*> argv = {"quelvane-cli", "code"};
  if (table) argv.insert(argv.end(), {"--table", table->c_str()});
  argv.push_back("--");
  for (const std::string& code : codes) argv.push_back(code.c_str());
  std::ostringstream out, err;
  Console console{out, err};
  const int status = RunCli(argv, console);
  return {status, out.str(), err.str()};
}

const std::string kComputed =
    "Attention !\nLe code SICOVAM saisi n'a pas été trouvé dans la liste des valeurs connues.\n"
    "Le code ISIN a donc été calculé.\n";
const std::string kRefused = "Ce code ne ressemble ni à un code Sicovam\nni à un code ISIN !\n";

TEST(CodeCommand, PrintsTheDialogLinesAndBoxes) {
  const struct {
    std::vector<std::string> codes;
    int status;
    std::string out, err;
  } cases[] = {
      {{"3007"}, 0, "SICOVAM : '3007'\nISIN : 'FR0000030074'\n", ""},
      {{"12345"}, 0, "SICOVAM : '12345'\nISIN : 'FR0000123457'\n", kComputed},
      {{"GB00B03MLX29"}, 0, "SICOVAM : 'B03MLX2'\nISIN : 'GB00B03MLX29'\n", ""},
      {{"-5"}, 1, "", kRefused},
      // Several codes: each message names its code.
      {{"abc", "10728"}, 1, "SICOVAM : '10728'\nISIN : 'FR0000003402'\n", "abc : " + kRefused},
      // A UTF-8 argument is typed text: é is one Windows-1252 character.
      {{"FR\xC3\xA9"
        "000000000"},
       0,
       "SICOVAM : '\xC3\xA9"
       "00000000'\nISIN : 'FR\xC3\xA9"
       "000000000'\n",
       ""},
      // Bytes that are not UTF-8 are taken as Windows-1252 already, and shown in UTF-8.
      {{"7\xE9"}, 0, "SICOVAM : '7\xC3\xA9'\nISIN : 'FR0000000077'\n", kComputed},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunCode(c.codes);
    EXPECT_EQ(outcome.status, c.status) << c.codes[0];
    EXPECT_EQ(outcome.out, c.out) << c.codes[0];
    EXPECT_EQ(outcome.err, c.err) << c.codes[0];
  }
}

TEST(CodeCommand, ReadsTheNamedTableAndRefusesOneItCannotRead) {
  testing::ScratchFolder folder;
  const auto table = folder.Write("mine.txt", "12345\tQS0000012345\n");
  EXPECT_EQ(RunCode({"12345"}, table.string()).out, "SICOVAM : '12345'\nISIN : 'QS0000012345'\n");
  const Outcome missing = RunCode({"12345"}, (folder.Path() / "absent.txt").string());
  EXPECT_EQ(missing.status, kExitUsage);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("absent.txt"), std::string::npos);
}

TEST(CodeCommand, NoCodeIsAUsageError) {
  EXPECT_EQ(RunCode({}).status, kExitUsage);
}

// A character Windows-1252 lacks cannot be typed into the dialog: the code is
// refused, as convert refuses such a separator, rather than converted as '?'.
TEST(CodeCommand, RefusesACharacterWindows1252LacksBeforeConvertingAnything) {
  const Outcome outcome = RunCode({"3007",
                                   "30\xE2\x86\x92"
                                   "07"});
  EXPECT_EQ(outcome.status, kExitUsage);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("« 30\xE2\x86\x92"
                             "07 »"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("Windows-1252"), std::string::npos) << outcome.err;
}

TEST(Cli, AnUnknownCommandIsNamedAndTheVersionIsShown) {
  std::ostringstream out, err;
  Console console{out, err};
  const char* bogus[] = {"quelvane-cli", "bogus"};
  EXPECT_EQ(RunCli(bogus, console), kExitUsage);
  EXPECT_NE(err.str().find("bogus"), std::string::npos);
  const char* version[] = {"quelvane-cli", "--version"};
  EXPECT_EQ(RunCli(version, console), kExitOk);
  EXPECT_EQ(out.str(), "quelvane-cli " QUELVANE_VERSION "\n");
}

TEST(CodeCommand, EverythingAfterTheFirstDoubleDashIsACode) {
  const Outcome outcome = RunCode({"-5", "--", "7"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "-5 : " + kRefused + "-- : " + kRefused + "7 : " + kComputed);
  EXPECT_EQ(outcome.out, "SICOVAM : '7'\nISIN : 'FR0000000077'\n");
}

}  // namespace
}  // namespace quelvane
