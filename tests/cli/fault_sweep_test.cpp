// Every call the operating-system layer makes during a command is failed in turn,
// one run per call, and each run must keep the promises of the program: the
// inputs untouched; each output absent, the earlier one as it was (bytes and
// permissions), or complete; nothing left in the folders or the temporary
// folder; and either nothing changed at all, or a status that says a failure and
// a line that says what failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "os/os.h"
#include "tests/support/fault_plan.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

namespace fs = std::filesystem;
using testing::FaultPlan;

// What a folder holds: each file's bytes and permissions, by relative path.
struct Entry {
  std::string bytes;
  fs::perms perms{};
  bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;

Snapshot Take(const fs::path& folder) {
  Snapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).generic_string();
    if (entry.is_directory()) {
      snapshot[name + "/"] = {};
      continue;
    }
    snapshot[name] = {testing::ReadFile(entry.path()), entry.status().permissions()};
  }
  return snapshot;
}

struct Scenario {
  const char* name;
  std::vector<std::string> args;  // after the program's name
  std::map<std::string, std::string> files;
  bool piped = false;  // "convert -": standard input from in.txt, standard output to piped.out
};

struct Outcome {
  int status = 0;
  std::string out;
  std::string err;
  Snapshot folder;
  Snapshot temporary;
  std::vector<OsCall> calls;
  bool failed = false;  // the chosen call was made, and failed
};

// A private earlier output: the replacement must not be readable by others.
constexpr fs::perms kPrivate = fs::perms::owner_read | fs::perms::owner_write;

class FaultSweepTest : public ::testing::Test {
 protected:
  FaultSweepTest() {
    for (const char* variable : {"TMPDIR", "TMP", "TEMP"}) {
      environment_.Set(variable, Utf8FromPath(Temporary()));
    }
    environment_.Set("QUELVANE_PROFILE", Utf8FromPath(Work() / "own.ini"));
  }

  fs::path Work() const { return scratch_.Path() / "work"; }
  fs::path Temporary() const { return scratch_.Path() / "tmp"; }

  void Lay(const Scenario& scenario) const {
    fs::remove_all(Work());
    fs::remove_all(Temporary());
    fs::create_directories(Work());
    fs::create_directories(Temporary());
    for (const auto& [name, bytes] : scenario.files) {
      if (name.ends_with('/')) {
        fs::create_directories(Work() / name);
        continue;
      }
      testing::WriteFile(Work() / name, bytes);
      if (!testing::kOnWindows && name.ends_with(".new")) fs::permissions(Work() / name, kPrivate);
    }
  }

  Outcome Run(const Scenario& scenario, std::size_t failing) const {
    Lay(scenario);
    const fs::path previous = fs::current_path();
    fs::current_path(Work());
    std::vector<const char*> argv{"quelvane-cli"};
    for (const std::string& arg : scenario.args) argv.push_back(arg.c_str());
    std::ostringstream out, err;
    Console console{out, err};
    // The standard streams of "convert -" are files the test opens and closes
    // itself, outside the plan.
    OpenedFile input;
    std::optional<AtomicReplacement> output;
    if (scenario.piped) {
      input = OpenRegularFile("in.txt");
      output.emplace("piped.out");
      EXPECT_TRUE(input.file && output->Open());
      console.inputHandle = HandleOf(input.file.get());
      console.outputHandle = output->Handle();
    }
    Outcome outcome;
    {
      const FaultPlan plan(failing);
      outcome.status = RunCli(argv, console);
      outcome.calls = plan.Calls();
      outcome.failed = plan.Failed();
    }
    if (output) output->Commit();
    input.file.reset();
    fs::current_path(previous);
    outcome.out = out.str();
    outcome.err = err.str();
    outcome.folder = Take(Work());
    outcome.temporary = Take(Temporary());
    return outcome;
  }

  // Fails each call of a clean run in turn; returns the number of runs.
  std::size_t Sweep(const Scenario& scenario) const {
    SCOPED_TRACE(scenario.name);
    const Outcome clean = Run(scenario, FaultPlan::kNone);
    EXPECT_TRUE(clean.status == kExitOk || clean.status == kExitWarnings) << clean.err;
    Lay(scenario);
    const Snapshot before = Take(Work());
    std::size_t runs = 0;
    for (std::size_t failing = 0; failing < clean.calls.size() + 1; ++failing) {
      const Outcome run = Run(scenario, failing);
      if (!run.failed) break;  // fewer calls than the clean run: all were failed
      ++runs;
      SCOPED_TRACE("call " + std::to_string(failing) + " (" +
                   testing::CallName(run.calls[failing]) + ")\n" + run.out + run.err);
      Check(before, clean, run, scenario.piped);
    }
    return runs;
  }

  static void Check(const Snapshot& before, const Outcome& clean, const Outcome& run, bool piped) {
    // Nothing left in the temporary folder.
    EXPECT_TRUE(run.temporary.empty());
    for (const auto& [name, entry] : run.folder) {
      SCOPED_TRACE(name);
      if (piped && name == "piped.out") continue;  // standard output: no file promise
      const auto earlier = before.find(name);
      const auto complete = clean.folder.find(name);
      // Inputs and earlier outputs stay as they were, or an output is complete.
      const bool asBefore = earlier != before.end() && earlier->second == entry;
      const bool asClean = complete != clean.folder.end() && complete->second == entry;
      EXPECT_TRUE(asBefore || asClean) << "left behind or half written";
    }
    for (const auto& [name, entry] : before) {
      if (!run.folder.contains(name)) ADD_FAILURE() << name << " is gone";
    }
    const bool unchanged = run.status == clean.status && run.out == clean.out &&
                           run.err == clean.err && run.folder == clean.folder;
    if (unchanged) return;
    EXPECT_TRUE(run.status == kExitUsage || run.status == kExitOutputLost ||
                run.status == kExitFileNotConverted)
        << "status " << run.status;
    const std::string said = run.out + run.err;
    EXPECT_TRUE(said.find("mpossible") != std::string::npos ||
                said.find("rreur de lecture") != std::string::npos ||
                said.find("n'existe pas") != std::string::npos)
        << "nothing says what failed";
  }

  testing::ScratchFolder scratch_;
  testing::EnvironmentOverride environment_;
};

const std::map<std::string, std::string> kQuotes = {
    {"a.txt", "3007\t1\r\n12592\t2\r\n"},
    {"a.txt.new", "earlier\r\n"},
    {"b.txt", "777\t3\r\n"},
    {"table.txt", "777\tQS0000007777\n"},
};

TEST_F(FaultSweepTest, ConvertKeepsItsPromisesWhateverCallFails) {
  std::map<std::string, std::string> withOutputFolder = kQuotes;
  withOutputFolder["out/a.txt.new"] = "earlier\r\n";
  std::map<std::string, std::string> withProfile = kQuotes;
  withProfile["p.ini"] =
      "[General]\nExtensionDestination=.new.txt\n[Separateur Source]\n"
      "tabulation=0\nseparateurs=;\n";
  withProfile["c.txt"] = "x;777\r\n";
  withProfile["own.ini"] = withProfile["p.ini"];
  const Scenario scenarios[] = {
      {"files", {"convert", "a.txt", "b.txt"}, kQuotes},
      {"output folder", {"convert", "-o", "out", "a.txt", "b.txt"}, withOutputFolder},
      {"standard input", {"convert", "-"}, {{"in.txt", "3007\t1\r\n"}, {"table.txt", ""}}, true},
      {"named profile", {"convert", "--profile=p.ini", "c.txt"}, withProfile},
      {"own profile", {"convert", "--profile", "c.txt"}, withProfile},
      {"table", {"table"}, kQuotes},
  };
  std::size_t runs = 0;
  for (const Scenario& scenario : scenarios) runs += Sweep(scenario);
  // Each scenario makes calls to fail: the sweep is not empty.
  EXPECT_GT(runs, std::size(scenarios) * 3);
  std::cout << "fault sweep: " << runs << " runs\n";
}

// The first call of a kind, in the calls of a clean run.
std::optional<std::size_t> FirstCall(const std::vector<OsCall>& calls, OsCall kind) {
  const auto at = std::find(calls.begin(), calls.end(), kind);
  if (at == calls.end()) return std::nullopt;
  return static_cast<std::size_t>(at - calls.begin());
}

// The failures a user meets most, each with the status it earns and the words
// that say it; the earlier output stays.
TEST_F(FaultSweepTest, EachFailureGivesItsStatusAndSaysWhy) {
  std::map<std::string, std::string> withProfile = kQuotes;
  withProfile["p.ini"] = "[Separateur Source]\ntabulation=0\nseparateurs=;\n";
  const Scenario files{"files", {"convert", "a.txt", "b.txt"}, kQuotes};
  const Scenario piped{"stdin", {"convert", "-"}, {{"in.txt", "3007\t1\r\n"}}, true};
  struct Case {
    const Scenario* scenario;
    OsCall failing;  // its first call fails
    int status;
    std::string_view said;
  };
  const Scenario profile{"profile", {"convert", "--profile=p.ini", "a.txt"}, withProfile};
  const Scenario table{"table", {"table"}, kQuotes};
  const Case cases[] = {
      {&profile, OsCall::kRead, kExitUsage,
       "impossible de lire le fichier de réglages « p.ini » : erreur de lecture. Rien n'a été "
       "converti."},
      {&profile, OsCall::kOpen, kExitUsage,
       "impossible de lire le fichier de réglages « p.ini » : le système a refusé de l'ouvrir."},
      {&files, OsCall::kRead, kExitUsage,
       "impossible de lire la table de codes « table.txt » : erreur de lecture."},
      {&files, OsCall::kSeek, kExitUsage,
       "impossible de lire la table de codes « table.txt » : erreur de lecture."},
      {&table, OsCall::kRead, kExitUsage,
       "impossible de lire la table de codes « table.txt » : erreur de lecture."},
      {&files, OsCall::kPermissions, kExitFileNotConverted,
       "Impossible d'écrire le fichier 'a.txt.new' !"},
      {&piped, OsCall::kRead, kExitFileNotConverted,
       "impossible de lire l'entrée standard (erreur de lecture) : rien n'a été converti."},
      {&piped, OsCall::kWrite, kExitFileNotConverted,
       "impossible de copier l'entrée standard dans le dossier temporaire"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.scenario->name) + ", " + testing::CallName(c.failing));
    const Outcome clean = Run(*c.scenario, FaultPlan::kNone);
    const auto failing = FirstCall(clean.calls, c.failing);
    if (!failing) {
      // Windows keeps no permission bits: nothing there to fail.
      EXPECT_TRUE(testing::kOnWindows && c.failing == OsCall::kPermissions);
      continue;
    }
    const Outcome run = Run(*c.scenario, *failing);
    EXPECT_EQ(run.status, c.status);
    EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.out << run.err;
    // Refused before any file, or for the one file of "-": nothing converted.
    if (c.status == kExitUsage) {
      EXPECT_FALSE(run.folder.contains("b.txt.new"));
    }
    EXPECT_EQ(run.folder.at(c.scenario->piped ? "in.txt" : "a.txt.new").bytes,
              c.scenario->files.at(c.scenario->piped ? "in.txt" : "a.txt.new"));
  }
}

}  // namespace
}  // namespace quelvane
