// Where the profile lives on Windows, and the settings an earlier version kept
// in QUELVANE.INI in the Windows folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/profile.h"
#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::ReadFile;

TEST(ProfileTest, DefaultPathFollowsTheEnvironment) {
  testing::EnvironmentOverride environment;
  environment.Set("QUELVANE_PROFILE", R"(D:\own.ini)");
  environment.Set("APPDATA", R"(C:\Users\u\AppData\Roaming)");
  EXPECT_EQ(Profile::DefaultPath(), R"(D:\own.ini)");
  environment.Set("QUELVANE_PROFILE", std::nullopt);
  EXPECT_EQ(Profile::DefaultPath(), R"(C:\Users\u\AppData\Roaming\Quelvane\quelvane.ini)");
}

// Until the user's own file exists, the settings are read from QUELVANE.INI in
// the Windows folder, its VirtualStore copy first; the first write starts from
// them and goes to the new place, which is read from then on.
TEST(ProfileTest, EarlierSettingsAreReadUntilTheFirstWrite) {
  testing::ScratchFolder folder;
  testing::EnvironmentOverride environment;
  environment.Set("QUELVANE_PROFILE", std::nullopt);
  environment.Set("APPDATA", (folder.Path() / "Roaming").string());
  environment.Set("LOCALAPPDATA", (folder.Path() / "Local").string());
  const std::string windows = testing::Environment("SystemRoot").value_or(R"(C:\windows)");
  const std::filesystem::path inWindows = std::filesystem::path(windows) / "QUELVANE.INI";
  const std::filesystem::path virtualStore = folder.Path() / "Local" / "VirtualStore" /
                                             std::filesystem::path(windows).relative_path() /
                                             "QUELVANE.INI";
  testing::WriteFile(inWindows, "[General]\r\nNbCharSico=8\r\nLgSicoFixe=1\r\n");
  {
    const Profile profile(Profile::DefaultPath());
    EXPECT_EQ(profile.GetProfileInt("General", "NbCharSico", 6), 8);
    testing::WriteFile(virtualStore, "[General]\r\nNbCharSico=9\r\n");
    EXPECT_EQ(profile.GetProfileInt("General", "NbCharSico", 6), 9);

    Profile writer(Profile::DefaultPath());
    ASSERT_TRUE(writer.WriteProfileInt("General", "ValeursConnuesOnly", 0));
    EXPECT_EQ(ReadFile(folder.Path() / "Roaming" / "Quelvane" / "quelvane.ini"),
              "[General]\r\nNbCharSico=9\r\nValeursConnuesOnly=0\r\n");
    EXPECT_EQ(ReadFile(virtualStore), "[General]\r\nNbCharSico=9\r\n");
    testing::WriteFile(virtualStore, "[General]\r\nNbCharSico=7\r\n");
    EXPECT_EQ(profile.GetProfileInt("General", "NbCharSico", 6), 9);
  }
  // A profile named through QUELVANE_PROFILE has no earlier settings.
  environment.Set("QUELVANE_PROFILE", (folder.Path() / "own.ini").string());
  EXPECT_EQ(Profile(Profile::DefaultPath()).GetProfileInt("General", "NbCharSico", 6), 6);
  std::filesystem::remove(inWindows);
}

}  // namespace
}  // namespace quelvane
