// quelvane-cli table: what each line of a user table gives, in the words the
// command prints, and its status.
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

Outcome RunTable(const std::string& tableText) {
  testing::ScratchFolder folder;
  const std::string path = folder.Write("table.txt", tableText).string();
  const char* argv[] = {"quelvane-cli", "table", "--table", path.c_str()};
  std::ostringstream out, err;
  Console console{out, err};
  const int status = RunCli(argv, console);
  return {status, out.str(), err.str()};
}

TEST(TableCommand, SaysWhatEachLineGives) {
  struct Case {
    const char* table;
    std::vector<std::string> said;  // lines of the report, in order
    int status;
  };
  const Case cases[] = {
      {"13110\tFR0013110004\tNOM\r\n", {"ligne 1 : 13110 <-> FR0013110004"}, kExitOk},
      {";note\n\n;autre\n45120;BE0004512001\n",
       {"lignes 1 à 3 : commentaires ou lignes vides, ignorées",
        "ligne 4 : 45120 <-> BE0004512001"},
       kExitOk},
      // A pair the built-in table holds already, and pairs that take a built-in
      // code or ISIN over.
      {"10728\tFR0000003402\n",
       {"ligne 1 : 10728 <-> FR0000003402 ; déjà dans la table intégrée"},
       kExitOk},
      {"3007\tFR0000099991\n",
       {"ligne 1 : 3007 <-> FR0000099991 ; remplace la paire intégrée 3007 <-> FR0000030074"},
       kExitOk},
      {"12345 FR0000123457\n", {"ligne 1 : ignorée : un seul champ"}, kExitWarnings},
      {"Code_Sicovam\tCode_ISIN\n",
       {"ligne 1 : 0 <-> Code_ISIN ; le premier champ n'est pas"},
       kExitWarnings},
      // The first line of a code or an ISIN wins, folding the case of A to Z; a
      // code given twice overrides nothing, its ISIN still may.
      {"13110\tFR0013110004\n13110\tFR0000003402\n",
       {"ligne 1 : 13110 <-> FR0013110004",
        "ligne 2 : 13110 <-> FR0000003402 ; code déjà donné ligne 1, qui l'emporte ; remplace la "
        "paire intégrée 10728 <-> FR0000003402\n"},
       kExitWarnings},
      {"1\tXS0000000001\n2\txs0000000001\n",
       {"ligne 2 : 2 <-> xs0000000001 ; ISIN déjà donné ligne 1, qui l'emporte"},
       kExitWarnings},
      {"7\tABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\n",
       {"ligne 1 : 7 <-> ABCDEFGHIJKLMNOPQRSTUVWXYZ012 ; ISIN coupé à ses 29 premiers"},
       kExitWarnings},
      // The end marker: what follows it is never read.
      {"1\tA\n-1\tfin\n", {"ligne 2 : marqueur de fin (code -1)"}, kExitOk},
      {"-1\tfin\n1\tA\n",
       {"ligne 1 : marqueur de fin", "ligne 2 : après le marqueur de fin, jamais lue"},
       kExitWarnings},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    const Outcome outcome = RunTable(c.table);
    EXPECT_EQ(outcome.status, c.status) << outcome.out;
    std::size_t from = 0;
    for (const std::string& line : c.said) {
      const std::size_t at = outcome.out.find("\n" + line, from);
      EXPECT_NE(at, std::string::npos) << line << "\nin:\n" << outcome.out;
      if (at != std::string::npos) from = at + 1;
    }
  }
}

TEST(TableCommand, EndsWithASummaryAndRefusesWhatIsNoTable) {
  const Outcome outcome = RunTable("3007\tFR0000099991\n;x\n1\tA\n1\tB\n-1\tfin\n");
  EXPECT_TRUE(outcome.out.ends_with(
      "Bilan : 5 lignes, 3 paires lues (dont 1 remplacent la table intégrée), 1 lignes à revoir, "
      "marqueur de fin ligne 5.\n"))
      << outcome.out;

  for (const char* notATable : {"/dev/zero", ".", "no-such-table.txt"}) {
    const char* argv[] = {"quelvane-cli", "table", "--table", notATable};
    std::ostringstream out, err;
    Console console{out, err};
    EXPECT_EQ(RunCli(argv, console), kExitUsage) << notATable;
    EXPECT_NE(err.str().find(notATable), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
  }
}

}  // namespace
}  // namespace quelvane
