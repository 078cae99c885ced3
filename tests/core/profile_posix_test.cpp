// Where the profile lives on POSIX systems, and writers in separate processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/profile.h"
#include "tests/core/test_files.h"
#include "tests/core/test_system.h"

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

}  // namespace
}  // namespace quelvane
