// Where the profile lives on POSIX systems, and writers in separate processes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <vector>

#include "run/profile.h"
#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::ReadFile;

TEST(ProfileTest, DefaultPathFollowsTheEnvironment) {
  testing::EnvironmentOverride environment;
  environment.Set("QUELVANE_PROFILE", "/tmp/own.ini");
  environment.Set("XDG_CONFIG_HOME", "/cfg");
  environment.Set("HOME", "/home/u");
  EXPECT_EQ(Profile::DefaultPath(), "/tmp/own.ini");
  environment.Set("QUELVANE_PROFILE", std::nullopt);
  EXPECT_EQ(Profile::DefaultPath(), "/cfg/quelvane/quelvane.ini");
  environment.Set("XDG_CONFIG_HOME", "relative");  // not an absolute path: ignored
  EXPECT_EQ(Profile::DefaultPath(), "/home/u/.config/quelvane/quelvane.ini");
  environment.Set("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(Profile::DefaultPath(), "/home/u/.config/quelvane/quelvane.ini");
}

// Two programs saving their settings at once (two windows closed together, a
// window and quelvane-cli) each rewrite the whole file: neither may lose the
// other's keys or leave a section twice.
TEST(ProfileTest, ConcurrentWritersNeverCorruptTheFile) {
  testing::ScratchFolder folder;
  const std::filesystem::path path = folder.Path() / "q.ini";
  constexpr int kWrites = 60;
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = fork();
    ASSERT_GE(writers[w], 0);
    if (writers[w] == 0) {
      Profile profile(path);
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) {
        const std::string key = "Cle" + std::to_string(w) + "_" + std::to_string(i % 7);
        ok = profile.WriteProfileInt(w == 0 ? "General" : "Separateur Source", key, i) && ok;
      }
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(writer, &status, 0), writer);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string text = ReadFile(path);
  for (const char* header : {"[General]", "[Separateur Source]"}) {
    const std::size_t first = text.find(header);
    ASSERT_NE(first, std::string::npos) << header;
    EXPECT_EQ(text.find(header, first + 1), std::string::npos) << header << " twice";
  }
  const Profile profile(path);
  for (int i = 0; i < 7; ++i) {
    const int last = kWrites - 1 - (kWrites - 1 - i) % 7;
    EXPECT_EQ(profile.GetProfileInt("General", "Cle0_" + std::to_string(i), -1), last);
    EXPECT_EQ(profile.GetProfileInt("Separateur Source", "Cle1_" + std::to_string(i), -1), last);
  }
}

// The keys of one write are written in one rewrite of the file: a failure on the
// way (here, the file size limit reached while the new file is written) leaves
// the file as it was, never with some keys new and others old.
TEST(ProfileTest, KeysWrittenTogetherLandAllOrNone) {
  testing::ScratchFolder folder;
  const std::string original = "[General]\nA=old\n";
  Profile profile(folder.Write("q.ini", original));
  std::vector<std::string> keys;
  for (int i = 0; i < 20; ++i) keys.push_back("K" + std::to_string(i));
  std::vector<ProfileWrite> writes = {{"General", "A", "new"}};
  for (const std::string& key : keys) writes.push_back({"General", key, "v"});
  writes.push_back({"General", "Last", std::string(2000, 'x')});

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const bool written = profile.WriteKeys(writes);
  // Under the same limit a smaller write still goes through: the limit only
  // stops the whole set of keys.
  Profile other(folder.Write("other.ini", original));
  const bool smallWritten = other.WriteProfileString("General", "A", "new");
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile(profile.Path()), original);
  EXPECT_TRUE(smallWritten);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"other.ini", "other.ini.lock", "q.ini", "q.ini.lock"}))
      << "no temporary file left";
}

}  // namespace
}  // namespace quelvane
