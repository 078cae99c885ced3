// quelvane-cli convert from its command line to its exit status: the golden cases
// of tests/data/convert (input files, arguments, expected files, log, box texts
// and status), then what only the command line does: option errors, the answer
// to the question, progress on a terminal.
//
// Each case folder holds: args (one argument per line), in/ (the files the run
// starts from, table.txt and profiles included), expected/ (every file the run
// creates), stdout, stderr and status. The run happens in a scratch copy of in/,
// which must end up holding in/ unchanged plus expected/ and nothing else.
// QUELVANE_UPDATE_GOLDEN=1 rewrites the expectations from what the run does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "os/os.h"
#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::ReadFile;
using testing::WriteFile;

namespace fs = std::filesystem;

const fs::path kCases = fs::path(QUELVANE_TEST_DATA) / "convert";

// Every regular file under a folder, by relative path.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[Utf8FromPath(fs::relative(entry.path(), folder))] = ReadFile(entry.path());
    }
  }
  return files;
}

struct CommandResult {
  int status = 0;
  std::string out;
  std::string err;
};

// Runs "quelvane-cli convert ARGUMENTS" as main() does.
CommandResult RunConvert(const std::vector<std::string>& arguments,
                         std::istream* terminal = nullptr, bool showProgress = false) {
  std::vector<const char*> argv = {"quelvane-cli", "convert"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out;
  std::ostringstream err;
  Console console{out, err, terminal, showProgress};
  const int status = RunCli(argv, console);
  return {status, out.str(), err.str()};
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCases)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectGolden(const fs::path& folder, const std::vector<std::string>& arguments, bool update) {
  testing::ScratchFolder work;
  const auto inputs = Files(folder / "in");
  for (const auto& [name, bytes] : inputs) WriteFile(work.Path() / PathFromUtf8(name), bytes);
  const fs::path home = fs::current_path();
  fs::current_path(work.Path());
  const CommandResult result = RunConvert(arguments);
  fs::current_path(home);

  std::map<std::string, std::string> created = Files(work.Path());
  for (const auto& [name, bytes] : inputs) {
    EXPECT_EQ(created[name], bytes) << name << " was changed";
    created.erase(name);
  }

  if (update) {
    fs::remove_all(folder / "expected");
    for (const auto& [name, bytes] : created) {
      WriteFile(folder / "expected" / PathFromUtf8(name), bytes);
    }
    WriteFile(folder / "stdout", result.out);
    WriteFile(folder / "stderr", result.err);
    WriteFile(folder / "status", std::to_string(result.status) + "\n");
    return;
  }
  EXPECT_EQ(result.status, std::stoi(ReadFile(folder / "status")));
  EXPECT_EQ(result.out, ReadFile(folder / "stdout"));
  EXPECT_EQ(result.err, ReadFile(folder / "stderr"));
  const auto expected = Files(folder / "expected");
  for (const auto& [name, bytes] : expected) {
    EXPECT_TRUE(created.contains(name)) << name << " was not written";
    EXPECT_EQ(created[name], bytes) << name;
  }
  for (const auto& [name, bytes] : created) {
    EXPECT_TRUE(expected.contains(name)) << name << " should not be there";
  }
}

class GoldenCaseTest : public ::testing::TestWithParam<std::string> {};

// Each case as it is, and with two jobs: the log, the outputs and the status of
// two files at a time are those of one after the other.
TEST_P(GoldenCaseTest, ConvertsByteForByte) {
  const fs::path folder = kCases / GetParam();
  std::vector<std::string> arguments;
  std::istringstream lines(ReadFile(folder / "args"));
  for (std::string line; std::getline(lines, line);) arguments.push_back(line);
  const bool update = std::getenv("QUELVANE_UPDATE_GOLDEN") != nullptr;
  for (const std::vector<std::string>& jobs :
       {std::vector<std::string>{}, std::vector<std::string>{"-j", "2"}}) {
    if (update && !jobs.empty()) break;
    SCOPED_TRACE(jobs.empty() ? "one job" : "two jobs");
    std::vector<std::string> withJobs = arguments;
    withJobs.insert(withJobs.begin(), jobs.begin(), jobs.end());
    ExpectGolden(folder, jobs.empty() ? arguments : withJobs, update);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCaseTest, ::testing::ValuesIn(CaseNames()),
                         [](const auto& testCase) { return testCase.param; });

TEST(ConvertCommandTest, OptionErrorsNameTheOptionAndTheValue) {
  struct Case {
    std::vector<std::string> arguments;
    std::vector<std::string> mentions;
  };
  const Case cases[] = {
      {{"--ext", ".txt", "a.txt"}, {"--ext", ".txt"}},
      {{"a.txt", "--ext"}, {"--ext", "attend une valeur"}},
      {{"-k", "0", "a.txt"}, {"--column", "« 0 »"}},
      {{"--column", "deux", "a.txt"}, {"--column", "deux"}},
      {{"--fixed-length", "six", "a.txt"}, {"--fixed-length", "six"}},
      {{"--source-sep", "0123456789", "a.txt"}, {"--source-sep", "0123456789"}},
      {{"-d", ";;;;;;;;;;", "a.txt"}, {"--dest-sep", ";;;;;;;;;;"}},
      {{"--prefix", "XXXXXXXXXX", "a.txt"}, {"--prefix", "XXXXXXXXXX", "9 caractères au plus"}},
      {{"--yes", "--no", "a.txt"}, {"--yes", "--no"}},
      {{"--colour", "a.txt"}, {"option inconnue", "--colour"}},
      {{}, {"fichier"}},
      {{"--table", "missing-table.txt", "a.txt"}, {"missing-table.txt"}},
      {{"--profile=missing.ini", "a.txt"}, {"missing.ini"}},
      {{"-s", "\xE2\x82\xAC\xE2\x80\xA0\xE2\x86\x92", "a.txt"}, {"--source-sep", "\xE2\x86\x92"}},
      {{"--output-dir", "no-such-folder", "a.txt"}, {"no-such-folder"}},
      // Only regular files are read: a folder or a device is no table and no profile.
      {{"--table", ".", "a.txt"}, {"« . »"}},
      {{"--table", testing::DeviceFile(), "a.txt"}, {testing::DeviceFile()}},
      {{"--profile=" + testing::DeviceFile(), "a.txt"}, {testing::DeviceFile()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const CommandResult result = RunConvert(c.arguments);
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_EQ(result.out, "");
    for (const std::string& mention : c.mentions) {
      EXPECT_NE(result.err.find(mention), std::string::npos) << result.err;
    }
  }
}

// Every word of the command line is French, the option parser's included.
TEST(CommandLineTest, SaysEveryErrorInFrench) {
  const std::vector<std::vector<const char*>> commandLines = {
      {"quelvane-cli"},
      {"quelvane-cli", "frob"},
      {"quelvane-cli", "--colour", "convert", "a.txt"},
      {"quelvane-cli", "code", "--table"},
      {"quelvane-cli", "table", "en-trop"},
      {"quelvane-cli", "convert", "--all-values=peut-etre", "a.txt"},
      {"quelvane-cli", "convert", "--yes", "--no", "a.txt"},
      {"quelvane-cli", "convert", "--ext", ".csv", "a.txt"},
      {"quelvane-cli", "convert", "--fixed-length", "six", "a.txt"},
  };
  for (const auto& argv : commandLines) {
    SCOPED_TRACE(::testing::PrintToString(argv));
    std::ostringstream out, err;
    Console console{out, err};
    EXPECT_EQ(RunCli(argv, console), kExitUsage);
    EXPECT_NE(err.str().find("Essayez « quelvane-cli"), std::string::npos) << err.str();
    for (const char* english : {"required", "expected", "excludes", "Could not", "not in",
                                "subcommand", "argument was", "Should be"}) {
      EXPECT_EQ(err.str().find(english), std::string::npos) << err.str();
    }
  }
}

// 0 and 1 speak of the lines of converted files; a file that could not be
// converted has a status of its own, and the highest status found wins.
TEST(ConvertCommandTest, AFileNotConvertedIsToldFromWarningsInLines) {
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    int status;
  };
  const Case cases[] = {
      {"converted", {"good.txt"}, kExitOk},
      {"a header line's warning", {"header.txt"}, kExitWarnings},
      {"no code column", {"nocode.txt"}, kExitWarnings},
      {"missing", {"missing.txt"}, kExitFileNotConverted},
      {"a folder", {"folder"}, kExitFileNotConverted},
      {"its output is a selected file", {"good.txt", "good.txt.new"}, kExitFileNotConverted},
      {"missing, then a warning", {"missing.txt", "header.txt"}, kExitFileNotConverted},
      {"missing, then abandoned", {"missing.txt", "semicolon.txt"}, kExitFileNotConverted},
      {"abandoned after a warning", {"header.txt", "semicolon.txt"}, kExitAbandoned},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScratchFolder work;
    work.Write("good.txt", "3007\t1\r\n");
    work.Write("good.txt.new", "3007\t1\r\n");
    work.Write("header.txt", "Code\tNom\r\n3007\t1\r\n");
    work.Write("nocode.txt", "abc\tdef\r\n");
    work.Write("semicolon.txt", "3007;1\r\n");
    fs::create_directories(work.Path() / "folder");
    const fs::path home = fs::current_path();
    fs::current_path(work.Path());
    const CommandResult result = RunConvert(c.arguments);
    fs::current_path(home);
    EXPECT_EQ(result.status, c.status) << result.out << result.err;
  }
}

TEST(ConvertCommandTest, HelpIsInFrenchAndNamesEveryOption) {
  const CommandResult result = RunConvert({"--help"});
  EXPECT_EQ(result.status, kExitOk);
  for (const char* text : {"--isin-to-sicovam", "--source-sep", "--dest-sep", "--prefix",
                           "--fixed-length", "--all-values", "--skip-ignored", "--ext", "--table",
                           "--profile", "--yes", "--no", "--column", "Code de sortie", "Allo ?"}) {
    EXPECT_NE(result.out.find(text), std::string::npos) << text;
  }
}

class ConvertQuestionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    fs::current_path(work_.Path());
    // No tab, the default separator: the question is asked. One code alone, so
    // that converting the line as one token loses nothing.
    work_.Write("a.txt", "3007\r\n");
  }
  void TearDown() override { fs::current_path(home_); }

  testing::ScratchFolder work_;
  fs::path home_;
};

TEST_F(ConvertQuestionTest, IsAskedOnATerminalUntilAnsweredYesOrNo) {
  struct Case {
    std::string typed;
    int status;
    int prompts;
  };
  const Case cases[] = {
      {"o\n", kExitOk, 1},        {"oui\n", kExitOk, 1},
      {"y\n", kExitOk, 1},        {"peut-être\nO\n", kExitOk, 2},
      {"n\n", kExitAbandoned, 1}, {"", kExitAbandoned, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::istringstream terminal(c.typed);
    const CommandResult result = RunConvert({"a.txt"}, &terminal);
    EXPECT_EQ(result.status, c.status);
    int prompts = 0;
    for (std::size_t at = 0; (at = result.err.find("Continuer ? (o/n) ", at)) != std::string::npos;
         ++at) {
      ++prompts;
    }
    EXPECT_EQ(prompts, c.prompts);
  }
}

TEST_F(ConvertQuestionTest, WithoutATerminalTheAnswerIsNoUnlessGiven) {
  // The question names the option that gives the separator, and the answer says
  // which options give it ahead.
  const CommandResult unanswered = RunConvert({"a.txt"});
  EXPECT_EQ(unanswered.status, kExitAbandoned);
  EXPECT_NE(unanswered.err.find("l'option -s (--source-sep)"), std::string::npos);
  EXPECT_NE(unanswered.err.find("la réponse est Non (--yes ou --no"), std::string::npos);
  EXPECT_EQ(unanswered.err.find("(à gauche)"), std::string::npos);
  EXPECT_EQ(RunConvert({"--no", "a.txt"}).status, kExitAbandoned);
  std::istringstream terminal("o\n");
  const CommandResult answered = RunConvert({"--no", "a.txt"}, &terminal);
  EXPECT_EQ(answered.status, kExitAbandoned);  // --no wins over the terminal
  EXPECT_EQ(answered.err.find("Continuer"), std::string::npos);
  EXPECT_EQ(RunConvert({"--yes", "a.txt"}).status, kExitOk);
  EXPECT_TRUE(fs::exists("a.txt.new"));
}

TEST_F(ConvertQuestionTest, ProgressShowsOnlyOnATerminalAndIsErased) {
  work_.Write("b.txt", "3007\t1\r\n");
  const CommandResult quiet = RunConvert({"b.txt", "b.txt"});
  EXPECT_EQ(quiet.err, "");
  const CommandResult shown = RunConvert({"b.txt", "b.txt"}, nullptr, true);
  EXPECT_NE(shown.err.find("Fichier 1/2"), std::string::npos);
  EXPECT_NE(shown.err.find("Fichier 2/2"), std::string::npos);
  EXPECT_TRUE(shown.err.ends_with("\r\x1b[K")) << ::testing::PrintToString(shown.err);
  EXPECT_EQ(shown.out, quiet.out);

  // A file of a few progress steps (4 MiB each) shows how far it has come.
  std::string big;
  while (big.size() < (std::size_t{9} << 20)) big += "3007\t20240102\t1.5\r\n";
  work_.Write("big.txt", big);
  const CommandResult large = RunConvert({"big.txt"}, nullptr, true);
  EXPECT_NE(large.err.find("Fichier 1/1 : 4"), std::string::npos)
      << ::testing::PrintToString(large.err);
}

TEST_F(ConvertQuestionTest, PipesAndAnOutputFolder) {
  // "convert -": the file through standard input, the result on standard output.
  const auto in = work_.Write("stdin", "10728\t1\r\n");
  const auto outPath = work_.Path() / "stdout";
  OpenedFile input = OpenRegularFile(in.string());
  AtomicReplacement output(outPath.string());
  ASSERT_TRUE(input.file && output.Open());
  std::ostringstream out, err;
  Console console{out, err};
  console.inputHandle = HandleOf(input.file.get());
  console.outputHandle = output.Handle();
  const char* argv[] = {"quelvane-cli", "convert", "-a", "-"};
  EXPECT_EQ(RunCli(argv, console), kExitOk);
  input.file.reset();
  ASSERT_TRUE(output.Commit());
  EXPECT_EQ(ReadFile(outPath), "FR0000003402\t1\r\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("1 lignes traitées"), std::string::npos) << "the log on stderr";

  // -o: outputs in another folder, nothing beside the inputs; -d takes "--" as a value.
  fs::create_directories("sub");
  fs::create_directories("out");
  work_.Write("sub/b.txt", "3007\t1\r\n");
  EXPECT_EQ(RunConvert({"-o", "out", "-d", "--", "sub/b.txt"}).status, kExitOk);
  EXPECT_EQ(ReadFile("out/b.txt.new"), "FR0000030074--1\r\n");
  EXPECT_FALSE(fs::exists("sub/b.txt.new"));
  work_.Write("b.txt", "3007\t1\r\n");
  const CommandResult twice = RunConvert({"-o", "out", "b.txt", "sub/b.txt"});
  EXPECT_EQ(twice.status, kExitUsage);
  EXPECT_NE(twice.err.find("sub/b.txt"), std::string::npos);
  EXPECT_EQ(RunConvert({"-", "b.txt"}).status, kExitUsage);
}

TEST_F(ConvertQuestionTest, FlagsOverrideTheSavedSettings) {
  work_.Write("q.ini",
              "[General]\nCodeSource=2\nCodeDestination=1\nValeursConnuesOnly=1\n"
              "[Separateur Source]\ntabulation=0\nseparateurs=;\n");
  work_.Write("i.txt", "FR0000123457;1\r\n");
  EXPECT_EQ(RunConvert({"--profile=q.ini", "i.txt"}).status, kExitWarnings);  // unknown value
  EXPECT_EQ(RunConvert({"--profile=q.ini", "-a", "-d", "|", "i.txt"}).status, kExitOk);
  EXPECT_EQ(ReadFile("i.txt.new"), "12345|1\r\n");

  // --profile alone: the desktop program's own file, found through the environment.
  CommandResult result;
  {
    testing::EnvironmentOverride environment;
    environment.Set("QUELVANE_PROFILE", (work_.Path() / "q.ini").string());
    result = RunConvert({"--profile", "-a", "i.txt"});
  }
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(ReadFile("i.txt.new"), "12345\t1\r\n");
}

}  // namespace
}  // namespace quelvane
