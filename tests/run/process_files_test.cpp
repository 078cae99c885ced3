// The run's steps as the desktop program sees them: status lines, log redraw,
// message boxes and their answers, and what becomes of files that cannot be read
// or written. Conversions byte for byte are covered by the golden cases of
// tests/cli.
#include "run/process_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/code_tables.h"
#include "tests/run/process_files_fixture.h"
#include "tests/run/recording_reporter.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::ReadFile;

using testing::Names;
using testing::ProcessFilesTest;
using testing::RecordingReporter;

TEST_F(ProcessFilesTest, NothingSelectedOnlyClearsTheStatusLinesAndSaysSo) {
  for (const std::vector<std::string>& selection : {std::vector<std::string>{""}, {}}) {
    reporter_ = {};
    const RunTotals totals = Run(selection);
    EXPECT_TRUE(totals.refused);
    EXPECT_EQ(reporter_.events, (std::vector<std::string>{"status||||", "box|Attention"}));
    EXPECT_EQ(reporter_.boxes[0].type, BoxType::kInformation);
    EXPECT_EQ(reporter_.boxes[0].text,
              "Vous devez sélectionner un ou plusieurs fichiers\nà traiter en cliquant sur le "
              "bouton :\nFichiers à traiter");
  }
}

TEST_F(ProcessFilesTest, FixedLengthIsCheckedInEitherDirection) {
  const std::string file = Path("a.txt");
  folder_.Write("a.txt", "3007\t1\r\n");
  struct Case {
    std::int32_t fixed, length;
    ConversionDirection direction;
    const char* refusal;  // start of the box text, or nullptr when the run proceeds
  };
  constexpr auto kSicovamToIsin = ConversionDirection::kSicovamToIsin;
  constexpr auto kIsinToSicovam = ConversionDirection::kIsinToSicovam;
  const Case cases[] = {
      {1, 4, kSicovamToIsin,
       "Vous avez coché la case"},  // unused in this direction, checked anyway
      {1, 4, kIsinToSicovam, "Vous avez coché la case"},
      {1, -2, kIsinToSicovam, "Vous avez coché la case"},
      {1, 5, kSicovamToIsin, nullptr},
      {1, 99, kIsinToSicovam, nullptr},
      {1, 100, kIsinToSicovam,
       "Vous avez demandé des codes SICOVAM de longueur fixe\nsupérieure à 99"},
      {1, INT_MAX, kSicovamToIsin, "Vous avez demandé"},
      {0, 4, kIsinToSicovam, nullptr},
      {0, 100000, kIsinToSicovam, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.fixed << " " << c.length);
    reporter_ = {};
    options_.LgSicoFixe = c.fixed;
    options_.NbCharSico = c.length;
    options_.SetDirection(c.direction);
    const RunTotals totals = Run({file});
    EXPECT_EQ(totals.refused, c.refusal != nullptr);
    if (c.refusal != nullptr) {
      EXPECT_EQ(reporter_.events,
                (std::vector<std::string>{"status||||", "box|Saisie incohérente"}));
      EXPECT_EQ(reporter_.boxes[0].type, BoxType::kStop);
      EXPECT_TRUE(reporter_.boxes[0].text.starts_with(c.refusal)) << reporter_.boxes[0].text;
    } else {
      EXPECT_EQ(totals.filesDone, 1);
    }
  }
}

TEST_F(ProcessFilesTest, StatusLinesRedrawAndBoxesComeInTheirOrder) {
  folder_.Write("a.txt", "3007\t1\r\n");
  folder_.Write("b.txt", "Code\tCours\r\n3007\t1\r\n");
  const RunTotals totals = Run({Path("a.txt"), Path("b.txt")});
  const std::vector<std::string> expected = {
      "status||||",
      "status|0/2 fichiers traités|-|-|-",
      "redraw off",
      "status|-|" + Path("a.txt") + "|-|-",
      "log",
      "log",
      "log",
      "log",  // blank, file, column, lines
      "status|1/2 fichiers traités|-|-|-",
      "status|-|" + Path("b.txt") + "|-|-",
      "log",
      "log",
      "log",
      "log",
      "log",
      "log",  // blank, file, column, warning (2), lines
      "status|2/2 fichiers traités|-|-|-",
      "log",
      "log",
      "log",
      "log",
      "log",  // blank, summary, files, warnings, unknown
      "redraw on",
      "scroll",
      "status|-|||",
      "box|Attention",
  };
  EXPECT_EQ(reporter_.events, expected);
  EXPECT_EQ(reporter_.boxes[0].text,
            "Attention, il y a eu 1 warnings.\nConsultez le log dans le bas de la fenêtre.");
  EXPECT_EQ(reporter_.boxes[0].type, BoxType::kInformation);
  EXPECT_EQ(reporter_.status[0], "2/2 fichiers traités");
  EXPECT_EQ(reporter_.status[1], "");
  EXPECT_EQ(totals.filesDone, 2);
  EXPECT_EQ(totals.warnings, 1);
}

TEST_F(ProcessFilesTest, AnsweringNoAbandonsTheRunWhereItStands) {
  folder_.Write("1.txt", "Code\tCours\r\n3007\t1\r\n");  // a warning: the box still comes
  folder_.Write("2.txt", "3007;1\r\n");
  folder_.Write("3.txt", "3007\t1\r\n");
  reporter_.answers = {BoxAnswer::kNo};
  const RunTotals totals = Run({Path("1.txt"), Path("2.txt"), Path("3.txt")});

  EXPECT_TRUE(totals.abandoned);
  EXPECT_EQ(totals.filesDone, 1);
  ASSERT_EQ(reporter_.boxes.size(), 2u);
  EXPECT_EQ(reporter_.boxes[0].caption, "Allo ?");
  EXPECT_EQ(reporter_.boxes[0].type, BoxType::kQuestion);
  EXPECT_EQ(reporter_.boxes[0].text,
            "Le fichier '" + Path("2.txt") +
                "'\nne semble pas contenir le séparateur de colonne sélectionné.\n\nVous devriez "
                "peut-être sélectionner le bon séparateur\ndans la partie 'Séparateur Source' (à "
                "gauche).\n\nVoulez-vous continuer ?");
  EXPECT_EQ(reporter_.boxes[1].caption, "Attention");
  const std::vector<std::string> tail(reporter_.log.end() - 4, reporter_.log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "", "==> Traitement fichier '" + Path("2.txt") + "'",
                      "Le fichier ne semble pas contenir le séparateur de colonne sélectionné.",
                      "--------- ABANDON ----------"}));
  EXPECT_EQ(reporter_.status[0], "1/3 fichiers traités");
  EXPECT_FALSE(std::filesystem::exists(Path("2.txt.new")));
  EXPECT_FALSE(std::filesystem::exists(Path("3.txt.new")));
  EXPECT_TRUE(std::filesystem::exists(Path("1.txt.new")));
}

TEST_F(ProcessFilesTest, FirstLineIsTestedAsATextModeReadSeesIt) {
  struct Case {
    std::string separator;
    std::string firstLine;
    bool asked;
  };
  const Case cases[] = {
      {";", "a;b\r\n", false},   {";,", "a;b\r\n", true},  // the whole string is looked for
      {"\r", "a\rb\r\n", false},                           // a lone CR inside the line stays
      {"\r", "ab\r\n", true},                              // the CR of the CR LF is not seen
      {"\n", "ab\r\n", false},   {"b\n", "ab\r\n", false},
      {"", "ab\r\n", false},  // an empty separator is always found
      {";", "\r\n", true},    // an empty first line is still the first line
      {";", "a;b", false},    // no line end at all
      {"\n", "ab\n", false},     {"\r", "ab\n", true},  // a line ending in LF only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.separator) + " " +
                 ::testing::PrintToString(c.firstLine));
    reporter_ = {};
    reporter_.answers = {BoxAnswer::kYes};
    options_.SeparateurSource = c.separator;
    folder_.Write("f.txt", c.firstLine + "3007\r\n");
    Run({Path("f.txt")});
    EXPECT_EQ(!reporter_.boxes.empty() && reporter_.boxes[0].caption == "Allo ?", c.asked);
  }
}

TEST_F(ProcessFilesTest, AnEmptyFileIsNotAskedAboutAndHasNoCodeColumn) {
  folder_.Write("empty.txt", "");
  reporter_.answers = {BoxAnswer::kNo};
  const RunTotals totals = Run({Path("empty.txt")});
  EXPECT_FALSE(totals.abandoned);
  EXPECT_EQ(totals.filesDone, 1);
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[2], "  WARNING -> Aucun code SICOVAM trouvé dans le fichier !");
  EXPECT_EQ(Names(folder_.Path()), std::vector<std::string>{"empty.txt"});
}

TEST_F(ProcessFilesTest, NoCodeColumnNamesTheSourceType) {
  folder_.Write("f.txt", "abc\tdef\r\n");
  const std::pair<CodeType, const char*> cases[] = {
      {CodeType::kSicovam, "  WARNING -> Aucun code SICOVAM trouvé dans le fichier !"},
      {CodeType::kIsin, "  WARNING -> Aucun code ISIN trouvé dans le fichier !"},
      {CodeType::kOther, "  WARNING -> Aucun code trouvé dans le fichier !"},
  };
  for (const auto& [source, line] : cases) {
    reporter_ = {};
    options_.CodeSource = source;
    const RunTotals totals = Run({Path("f.txt")});
    EXPECT_EQ(reporter_.log[2], line);
    EXPECT_EQ(totals.warnings, 1);
    EXPECT_FALSE(std::filesystem::exists(Path("f.txt.new")));
  }
}

TEST_F(ProcessFilesTest, APairWithoutAConversionCopiesTheCodeColumn) {
  folder_.Write("f.txt", "x\t3007\r\n5\t6\r\n");
  options_.CodeSource = CodeType::kSicovam;
  options_.CodeDestination = CodeType::kSicovam;
  options_.SeparateurDestination = ";";
  const RunTotals totals = Run({Path("f.txt")});
  EXPECT_EQ(totals.warnings, 0);
  EXPECT_EQ(reporter_.log[2], "Code SICOVAM trouvé dans la colonne 1");
  EXPECT_EQ(ReadFile(Path("f.txt.new")), "x;3007\r\n5;6\r\n");
}

TEST_F(ProcessFilesTest, FilesThatCannotBeOpenedAreCountedWithAWarning) {
  // A folder, a FIFO without a writer (never waited on), a device.
  std::vector<std::string> selection = testing::NotRegularFiles(folder_.Path());
  const std::size_t notRegular = selection.size();
  selection.insert(selection.begin(), Path("missing.txt"));
  selection.push_back(Path("good.txt"));
  folder_.Write("good.txt", "3007\t1\r\n");
  const RunTotals totals = Run(selection);
  EXPECT_EQ(totals.filesDone, static_cast<int>(notRegular + 2));
  EXPECT_EQ(totals.warnings, static_cast<int>(notRegular + 1));
  EXPECT_EQ(reporter_.log[1], "==> Traitement fichier '" + Path("missing.txt") + "'");
  // Each says why, under the line every such file gets.
  EXPECT_EQ(reporter_.log[2], "  WARNING -> Impossible d'ouvrir le fichier !");
  EXPECT_EQ(reporter_.log[3], "             Il n'existe pas.");
  EXPECT_EQ(reporter_.log[5], "==> Traitement fichier '" + Path("folder.txt") + "'");
  EXPECT_EQ(reporter_.log[6], "  WARNING -> Impossible d'ouvrir le fichier !");
  EXPECT_EQ(reporter_.log[7], "             C'est un dossier, pas un fichier.");
  EXPECT_EQ(reporter_.log.back(), "0 valeurs inconnues non traités");
  EXPECT_EQ(ReadFile(Path("good.txt.new")), "FR0000030074\t1\r\n");
}

// A first run with a small table drops most lines as unknown: the summary and
// the box say what the tables hold and how to convert the rest; a run that
// drops none says nothing of it.
TEST_F(ProcessFilesTest, ARunThatDropsUnknownValuesSaysHowToConvertThem) {
  folder_.Write("table.txt", "777\tGB00B03MLX29\n");
  ASSERT_TRUE(tables_.LoadUserCodeTable(Path("table.txt")));
  folder_.Write("a.txt", "3007\t1\r\n12345\t2\r\n777\t3\r\n");
  Run({Path("a.txt")});
  EXPECT_EQ(reporter_.log[reporter_.log.size() - 2], "1 valeurs inconnues non traités");
  const std::string& hint = reporter_.log.back();
  EXPECT_TRUE(hint.starts_with("Les tables connaissent ")) << hint;
  EXPECT_NE(hint.find("(1 de table.txt, "), std::string::npos) << hint;
  EXPECT_NE(hint.find("« Traiter uniquement les valeurs connues »"), std::string::npos) << hint;
  ASSERT_EQ(reporter_.boxes.size(), 1u);
  EXPECT_TRUE(reporter_.boxes[0].text.ends_with("ou ajoutez leurs paires à table.txt."))
      << reporter_.boxes[0].text;

  folder_.Write("b.txt", "3007\t1\r\nx\t2\r\n");  // a warning, but nothing unknown
  RecordingReporter second;
  ProcessFiles(options_, {Path("b.txt")}, tables_, second);
  EXPECT_EQ(second.log.back(), "0 valeurs inconnues non traités");
  ASSERT_EQ(second.boxes.size(), 1u);
  EXPECT_EQ(second.boxes[0].text,
            "Attention, il y a eu 1 warnings.\nConsultez le log dans le bas de la fenêtre.");
}

TEST_F(ProcessFilesTest, AnOutputThatCannotBeReplacedLeavesNothingBehind) {
  folder_.Write("a.txt", "3007\t1\r\n");
  std::filesystem::create_directory(Path("a.txt.new"));  // rename cannot replace a folder
  folder_.Write("b.txt", "3007\t1\r\n");
  options_.ExtensionDestination = OutputExtension::kNew;
  const RunTotals totals = Run({Path("a.txt"), Path("b.txt")});
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(totals.filesDone, 2);
  EXPECT_EQ(reporter_.log[3],
            "  WARNING -> Impossible d'écrire le fichier '" + Path("a.txt.new") + "' !");
  EXPECT_EQ(reporter_.log[4], "");  // the next file follows at once
  EXPECT_EQ(Names(folder_.Path()),
            (std::vector<std::string>{"a.txt", "a.txt.new", "b.txt", "b.txt.new"}));
  EXPECT_TRUE(std::filesystem::is_directory(Path("a.txt.new")));
}

// Writing through a link named like the output would overwrite what it points to,
// here the input itself: the link is replaced instead.
TEST_F(ProcessFilesTest, AnOutputNameThatLinksToTheInputLeavesTheInputAlone) {
  if (testing::kOnWindows) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  folder_.Write("a.txt", "3007\t1\r\n");
  std::filesystem::create_symlink(Path("a.txt"), Path("a.txt.new"));
  const RunTotals totals = Run({Path("a.txt")});
  EXPECT_EQ(totals.warnings, 0);
  EXPECT_EQ(ReadFile(Path("a.txt")), "3007\t1\r\n");
  EXPECT_FALSE(std::filesystem::is_symlink(Path("a.txt.new")));
  EXPECT_EQ(ReadFile(Path("a.txt.new")), "FR0000030074\t1\r\n");
}

TEST_F(ProcessFilesTest, DetectionLooksAtTheFirstHundredColumnsAndTheLeftmostHit) {
  const auto line = [](std::size_t codeAt) {
    std::string text;
    for (std::size_t i = 0; i < 120; ++i) text += (i == codeAt ? "3007" : "x") + std::string("\t");
    return text + "\r\n";
  };
  struct Case {
    std::string file;
    const char* found;  // the log line, or nullptr for no code column
  };
  const Case cases[] = {
      {line(99), "Code SICOVAM trouvé dans la colonne 100"},
      {line(100), nullptr},
      {line(40) + line(7) + line(100) + line(12), "Code SICOVAM trouvé dans la colonne 8"},
  };
  for (const Case& c : cases) {
    reporter_ = {};
    folder_.Write("f.txt", c.file);
    Run({Path("f.txt")});
    EXPECT_EQ(reporter_.log[2],
              c.found ? c.found : "  WARNING -> Aucun code SICOVAM trouvé dans le fichier !");
  }
}

TEST_F(ProcessFilesTest, LongLinesAndZeroBytesAreCopiedWhole) {
  std::string big(5000, 'a');
  big[10] = '\0';
  big[4000] = '\r';
  folder_.Write("f.txt", std::string("3007\t") + big + "\r\n" + "10728\t" + big + "\n");
  options_.SeparateurDestination = ";";
  const RunTotals totals = Run({Path("f.txt")});
  EXPECT_EQ(totals.warnings, 0);
  EXPECT_EQ(ReadFile(Path("f.txt.new")),
            "FR0000030074;" + big + "\r\n" + "FR0000003402;" + big + "\r\n");
  EXPECT_EQ(reporter_.log[3], "2 lignes traitées (0 warnings)");
}

// Columns before the code column too long for the output's pending room wait
// in the line until it is known to stay: whether the line is converted, copied,
// dropped or short, it comes out as a line whose columns are short does.
TEST_F(ProcessFilesTest, LongColumnsBeforeTheCodeComeOutAsShortOnesDo) {
  struct Case {
    std::string lines;  // '@' stands for a column before the code
    std::size_t codeColumn;
    bool knownValuesOnly;
    bool skipIgnored;
  };
  const Case cases[] = {
      {"@\t3007\t1\r\n@\t10728\t2\r\n", 2, true, false},      // converted
      {"@\t99999999\t1\r\n@\t3007\t2\r\n", 2, false, false},  // not a code: copied
      {"@\t99999999\t1\r\n@\t3007\t2\r\n", 2, false, true},   // not a code: dropped
      {"@\t12345\t1\r\n@\t3007\t2\r\n", 2, true, false},      // unknown: dropped
      {"@\r\nx\t@\r\n@\t3007\r\n", 2, false, false},          // short lines
      {"a\t@\t3007\t1\r\n@\t@\t3007\r\n", 3, false, false},   // two columns before
  };
  const std::string big(std::size_t{3} << 20, 'y');  // past the pending room
  const auto run = [&](const Case& c, const std::string& field) {
    std::string text = c.lines;
    for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, field);
    folder_.Write("f.txt", text);
    options_.ValeursConnuesOnly = c.knownValuesOnly ? 1 : 0;
    options_.NePasRecopierValeursIgnorees = c.skipIgnored ? 1 : 0;
    options_.SeparateurDestination = ";;";
    RunPlaces places;
    places.codeColumn = c.codeColumn;
    testing::RecordingReporter reporter;
    ProcessFiles(options_, {Path("f.txt")}, tables_, reporter, places);
    return std::pair{ReadFile(Path("f.txt.new")), reporter.log};
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const auto [shortOutput, shortLog] = run(c, "short");
    const auto [longOutput, longLog] = run(c, big);
    std::string expected = shortOutput;
    for (std::size_t at; (at = expected.find("short")) != std::string::npos;) {
      expected.replace(at, 5, big);
    }
    EXPECT_TRUE(longOutput == expected) << longOutput.size() << " bytes, " << expected.size();
    EXPECT_EQ(longLog, shortLog);
  }
}

TEST_F(ProcessFilesTest, TheSameSingleSeparatorCopiesTheRestUnlessDelimitersRun) {
  const struct {
    std::string line, written;
  } cases[] = {
      {"3007;a;b\r\n", "FR0000030074;a;b\r\n"},   // copied as it stands
      {"3007;a;;b\r\n", "FR0000030074;a;b\r\n"},  // a run of delimiters makes one
      {"3007;a;\r\n", "FR0000030074;a\r\n"},      // a delimiter at the end vanishes
      {"x;3007;;a\r\n", "x;FR0000030074;a\r\n"},
      // Whatever the line end, the line ends in CR LF.
      {"3007;a;b\n", "FR0000030074;a;b\r\n"},
      {"3007;a;b", "FR0000030074;a;b\r\n"},
      {"3007;a;b\r\r\n", "FR0000030074;a;b\r\n"},
      {"3007;a\n\n10728;b\r\n", "FR0000030074;a\r\nFR0000003402;b\r\n"},
      {"3007;a\r\n3007\r\n", "FR0000030074;a\r\nFR0000030074\r\n"},  // the code alone
      {";3007;a\r\n", "FR0000030074;a\r\n"},
      {";;3007;a;b\r\n", "FR0000030074;a;b\r\n"},
      {"\"3007\";a;\"b;c\"\r\n", "\"FR0000030074\";a;\"b;c\"\r\n"},
      {"\"3007;a\r\n3007;b\r\n", "\"3007;a\r\nFR0000030074;b\r\n"},  // a quote left open
      {" 3007;a\r\n", "FR0000030074;a\r\n"},                         // read as atoi reads it
      {"3007x;a\r\n", "FR0000030074;a\r\n"},  // the rest of the field is lost
      {"abc;a\r\n3007;b\r\n", "abc;a\r\nFR0000030074;b\r\n"},
      {"0;a\r\n3007;b\r\n", "0;a\r\nFR0000030074;b\r\n"},
      {"99999999;a\r\n3007;b\r\n", "99999999;a\r\nFR0000030074;b\r\n"},
  };
  options_.SeparateurSource = ";";
  options_.SeparateurDestination = ";";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    folder_.Write("f.txt", c.line);
    Run({Path("f.txt")});
    EXPECT_EQ(ReadFile(Path("f.txt.new")), c.written);
  }
  // The rest of the line is looked at sixteen bytes at a time: a run at every
  // place, and a delimiter at the end, in rests up to three blocks long.
  const auto joined = [](const std::string& rest) {
    std::string kept;
    for (std::size_t i = 0; i < rest.size(); ++i) {
      if (rest[i] != ';') {
        if (i > 0 && rest[i - 1] == ';') kept += ';';
        kept += rest[i];
      }
    }
    return kept;
  };
  std::string file;
  std::string written;
  for (std::size_t size = 2; size <= 48; ++size) {
    std::vector<std::string> rests;
    for (std::size_t i = 1; i < size; ++i) {
      rests.push_back(";" + std::string(size - 1, 'a'));
      rests.back()[i - 1] = rests.back()[i] = ';';
    }
    rests.push_back(";" + std::string(size - 2, 'a') + ";");
    for (const std::string& rest : rests) {
      file += "3007" + rest + "\r\n";
      written += "FR0000030074" + joined(rest) + "\r\n";
    }
  }
  folder_.Write("f.txt", file);
  Run({Path("f.txt")});
  EXPECT_EQ(ReadFile(Path("f.txt.new")), written);
}

// The temporary name fits wherever the output's name fits: a name of 250 bytes
// (254 with ".new") is converted, over an earlier output too.
TEST_F(ProcessFilesTest, LongNamesAreConverted) {
  const std::string name(250, 'n');
  folder_.Write(name, "3007\t1\r\n");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Run({Path(name)}).warnings, 0);
    EXPECT_EQ(ReadFile(Path(name + ".new")), "FR0000030074\t1\r\n");
  }
}

// Names in any script: the outputs take the input's name and the extension, and
// the log shows the name in UTF-8.
TEST_F(ProcessFilesTest, NamesInAnyScriptAreConverted) {
  for (const std::string name : {"\xC3\xA9t\xC3\xA9.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"}) {
    SCOPED_TRACE(name);
    reporter_ = {};
    const auto input = folder_.Path() / PathFromUtf8(name);
    testing::WriteFile(input, "3007\t1\r\n");
    const std::string path = Utf8FromPath(input);
    EXPECT_EQ(Run({path}).warnings, 0);
    EXPECT_EQ(reporter_.log[1], "==> Traitement fichier '" + path + "'");
    EXPECT_EQ(ReadFile(folder_.Path() / PathFromUtf8(name + ".new")), "FR0000030074\t1\r\n");
  }
}

// A run never replaces a file selected for that run, even under another name.
TEST_F(ProcessFilesTest, AnOutputThatIsAlsoAnInputIsNotReplaced) {
  folder_.Write("a.txt", "3007\t1\r\n");
  folder_.Write("a.txt.new", "10728\t2\r\n");
  const RunTotals totals = Run({Path("a.txt"), folder_.Path().string() + "/./a.txt.new"});
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[3], "  WARNING -> Le fichier '" + Path("a.txt.new") +
                                  "' fait partie des fichiers à traiter : il n'est pas remplacé !");
  EXPECT_EQ(ReadFile(Path("a.txt.new")), "10728\t2\r\n");
  EXPECT_EQ(ReadFile(Path("a.txt.new.new")), "FR0000003402\t2\r\n");
}

// A file that changes between the two readings gives no output: it would mix
// two states of the file.
TEST_F(ProcessFilesTest, AnInputThatChangesWhileReadGivesNoOutput) {
  class Appender final : public RecordingReporter {
   public:
    explicit Appender(std::string path) : path_(std::move(path)) {}
    BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type) override {
      std::ofstream(path_, std::ios::app) << "3007\t3\r\n";
      return RecordingReporter::MessageBox(text, caption, type);
    }

   private:
    std::string path_;
  };
  folder_.Write("f.txt", "3007\r\n3007\t2\r\n");  // the first line asks about the separator
  folder_.Write("f.txt.new", "earlier");
  Appender reporter(Path("f.txt"));
  reporter.answers = {BoxAnswer::kYes};
  const RunTotals totals = ProcessFiles(options_, {Path("f.txt")}, tables_, reporter);
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter.log[3], "  WARNING -> Le fichier a changé pendant son traitement !");
  EXPECT_EQ(ReadFile(Path("f.txt.new")), "earlier");
}

// Several jobs report exactly what one job reports, event by event: the log,
// the status lines, the questions in file order with their answers, the boxes;
// and the files after an abandon leave nothing, whichever job had begun them.
TEST_F(ProcessFilesTest, SeveralJobsReportAndWriteWhatOneJobDoes) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    // Files 7 and 23 lack the separator: a question each. Some lines warn.
    const bool question = i == 7 || i == 23;
    std::string text;
    for (int line = 0; line < 50 + i * 40; ++line) {
      text += (line % 9 == 0 ? "99999999" : std::to_string(3007 + (line % 3) * 5)) +
              (question ? ";" : "\t") + std::to_string(line) + "\r\n";
    }
    folder_.Write(name, text);
    paths.push_back(Path(name));
  }
  options_.ValeursConnuesOnly = 0;
  struct Outcome {
    RunTotals totals;
    std::vector<std::string> events;
    std::vector<std::string> log;
    std::vector<std::string> files;
  };
  const auto run = [&](std::size_t jobs, std::deque<BoxAnswer> answers) {
    for (const std::string& name : Names(folder_.Path())) {
      if (name.ends_with(".new")) std::filesystem::remove(folder_.Path() / name);
    }
    testing::RecordingReporter reporter;
    reporter.answers = std::move(answers);
    RunPlaces places;
    places.jobs = jobs;
    Outcome outcome{ProcessFiles(options_, paths, tables_, reporter, places),
                    reporter.events,
                    reporter.log,
                    {}};
    for (const std::string& name : Names(folder_.Path())) {
      if (name.ends_with(".new")) outcome.files.push_back(name + ":" + ReadFile(Path(name)));
    }
    return outcome;
  };
  for (const auto& answers : {std::deque<BoxAnswer>{BoxAnswer::kYes, BoxAnswer::kYes},
                              std::deque<BoxAnswer>{BoxAnswer::kYes, BoxAnswer::kNo}}) {
    const Outcome one = run(1, answers);
    for (const std::size_t jobs : {2u, 3u, 8u}) {
      SCOPED_TRACE(std::to_string(jobs) + " jobs");
      const Outcome several = run(jobs, answers);
      EXPECT_EQ(several.events, one.events);
      EXPECT_EQ(several.log, one.log);
      EXPECT_EQ(several.files, one.files);
      EXPECT_EQ(several.totals.warnings, one.totals.warnings);
      EXPECT_EQ(several.totals.filesDone, one.totals.filesDone);
      EXPECT_EQ(several.totals.abandoned, one.totals.abandoned);
    }
    // Abandoned at file 23: nothing of the files after it.
    EXPECT_EQ(one.files.size(), answers.back() == BoxAnswer::kNo ? 23u : 40u);
  }
}

}  // namespace
}  // namespace quelvane
