// The settings file engine: reads and writes with the Windows profile semantics.
#include "run/profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::ReadFile;

TEST(ProfileTest, ReadsKeysAsTheProfileCallsDo) {
  testing::ScratchFolder folder;
  const Profile profile(folder.Write("q.ini",
                                     "orphan=before any section\r\n"
                                     "[General]\r\n"
                                     "ValeursConnuesOnly=0\r\n"
                                     "  NbCharSico = 12abc\r\n"
                                     "Vide=\r\n"
                                     "Negatif= -2\r\n"
                                     "Tab=\t\r\n"
                                     "Espace= \r\n"
                                     "Egal=a=b\r\n"
                                     "ValeursConnuesOnly=1\r\n"
                                     "; a comment=1\r\n"
                                     "[ separateur SOURCE ]\r\n"
                                     "separateurs=;,\r\n"
                                     "[General]\r\n"
                                     "Second=only in the second General\n"
                                     "[Last]\n"
                                     "NoEnd=x"));
  struct Case {
    std::string section, key;
    std::optional<std::string> value;  // nothing: the default
  };
  const Case cases[] = {
      {"General", "ValeursConnuesOnly", "0"},  // the first of two lines wins
      {"GENERAL", "valeursconnuesonly", "0"},
      {"General", "NbCharSico", " 12abc"},  // names trimmed, value verbatim
      {"General", "Vide", ""},
      {"General", "Tab", "\t"},
      {"General", "Espace", " "},
      {"General", "Egal", "a=b"},
      {"Separateur Source", "separateurs", ";,"},
      {"General", "orphan", std::nullopt},
      {"General", "Second", std::nullopt},  // the first section of a name is the one
      {"General", "Absent", std::nullopt},
      {"Absent", "ValeursConnuesOnly", std::nullopt},
      {"Last", "NoEnd", "x"},
  };
  std::vector<ProfileRead> reads;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section + "/" + c.key);
    EXPECT_EQ(profile.GetProfileString(c.section, c.key, "default"), c.value.value_or("default"));
    reads.push_back({c.section, c.key, "default"});
  }
  // Read together, from one reading of the file, they are the same.
  const std::vector<std::string> together = profile.GetProfileStrings(reads);
  ASSERT_EQ(together.size(), std::size(cases));
  for (std::size_t i = 0; i < together.size(); ++i) {
    EXPECT_EQ(together[i], cases[i].value.value_or("default")) << cases[i].key;
  }
  EXPECT_EQ(profile.GetProfileInt("General", "NbCharSico", 6), 12);
  EXPECT_EQ(profile.GetProfileInt("General", "Negatif", 6), -2);
  EXPECT_EQ(profile.GetProfileInt("General", "Vide", 6), 0);
  EXPECT_EQ(profile.GetProfileInt("General", "Absent", 6), 6);
  EXPECT_EQ(Profile(folder.Path() / "missing.ini").GetProfileInt("General", "X", 7), 7);
}

TEST(ProfileTest, BrokenFilesReadAsDefaults) {
  testing::ScratchFolder folder;
  std::string binary;
  for (unsigned i = 0; i < 300000; ++i) binary += static_cast<char>((i * 7919u) % 256u);
  const std::string hugeLine(3 << 20, '[');
  for (const std::string& bytes :
       {binary, hugeLine, std::string("[General]\nNbCharSico=") + std::string(1 << 20, '9'),
        std::string("\0\0[General\0]\nNbCharSico=5", 25)}) {
    const Profile profile(folder.Write("broken.ini", bytes));
    EXPECT_EQ(profile.GetProfileInt("General", "ValeursConnuesOnly", 1), 1);
    EXPECT_LE(profile.GetProfileString("Separateur Source", "separateurs", "").size(),
              std::size_t{1} << 16);
  }
  // A folder where the file should be.
  std::filesystem::create_directory(folder.Path() / "dir.ini");
  EXPECT_EQ(Profile(folder.Path() / "dir.ini").GetProfileInt("General", "X", 3), 3);
  EXPECT_FALSE(Profile(folder.Path() / "dir.ini").WriteProfileInt("General", "X", 1));
}

TEST(ProfileTest, WritesReplaceInPlaceAndKeepEveryOtherLine) {
  testing::ScratchFolder folder;
  const std::string original =
      "; réglages\r\n"
      "[General]\r\n"
      "  NbCharSico  =6\r\n"
      "Autre=garder\r\n"
      "\r\n"
      "[Separateur Source]\r\n"
      "tabulation=1\r\n";
  Profile profile(folder.Write("q.ini", original));

  ASSERT_TRUE(profile.WriteProfileInt("general", "nbcharsico", -2));
  ASSERT_TRUE(profile.WriteProfileString("General", "PrefixeSicovam", "X"));
  ASSERT_TRUE(profile.WriteProfileString("Separateur Source", "separateurs", "\t"));
  ASSERT_TRUE(profile.WriteProfileString("Separateur Destination", "separateurs", " "));
  EXPECT_EQ(ReadFile(profile.Path()),
            "; réglages\r\n"
            "[General]\r\n"
            "  NbCharSico  =-2\r\n"
            "Autre=garder\r\n"
            "PrefixeSicovam=X\r\n"
            "\r\n"
            "[Separateur Source]\r\n"
            "tabulation=1\r\n"
            "separateurs=\t\r\n"
            "\r\n"
            "[Separateur Destination]\r\n"
            "separateurs= \r\n");
  EXPECT_EQ(profile.GetProfileString("Separateur Source", "separateurs", ""), "\t");
  EXPECT_EQ(profile.GetProfileString("Separateur Destination", "separateurs", ""), " ");
  EXPECT_EQ(profile.GetProfileInt("General", "NbCharSico", 6), -2);
  // Only the profile and its writers' lock are left in the folder: no temporary file.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"q.ini", "q.ini.lock"}));
}

TEST(ProfileTest, WritesToAFileWithoutFinalLineEndOrFolder) {
  testing::ScratchFolder folder;
  Profile last(folder.Write("last.ini", "[General]\nA=1"));
  ASSERT_TRUE(last.WriteProfileString("General", "B", "2"));
  ASSERT_TRUE(last.WriteProfileString("General", "A", "3"));
  EXPECT_EQ(ReadFile(last.Path()), "[General]\nA=3\nB=2\n");

  Profile fresh(folder.Path() / "new" / "folder" / "quelvane.ini");
  ASSERT_TRUE(fresh.WriteProfileInt("General", "LgSicoFixe", 1));
  EXPECT_EQ(ReadFile(fresh.Path()), "[General]\nLgSicoFixe=1\n");
}

TEST(ProfileTest, RefusesWhatWouldBreakTheFile) {
  testing::ScratchFolder folder;
  Profile profile(folder.Write("q.ini", "[General]\nA=1\n"));
  EXPECT_FALSE(profile.WriteProfileString("General", "A", "1\n[Other]"));
  EXPECT_FALSE(profile.WriteProfileString("General", "A", "1\r"));
  EXPECT_FALSE(profile.WriteProfileString("General", "A=B", "1"));
  EXPECT_FALSE(profile.WriteProfileString("Gen]eral", "A", "1"));
  EXPECT_FALSE(profile.WriteProfileString("", "A", "1"));
  EXPECT_EQ(ReadFile(profile.Path()), "[General]\nA=1\n");
}

// Keys written together leave the file as the same writes one after another
// would: replaced in place, added after their section's last line, new sections
// at the end; a key written twice keeps its last value. The file is read and
// replaced once.
TEST(ProfileTest, KeysWrittenTogetherLeaveTheFileAsWritesOneByOne) {
  testing::ScratchFolder folder;
  const std::optional<std::string> files[] = {
      std::nullopt,  // no file yet
      "",
      "[General]\nA=1",  // no line feed after the last line
      "[General]\nZ=1\n\n[Other]\nx=y",
      "; r\xE9glages\r\n[General]\r\nA=1\r\n\r\n[Other]\r\nx=y\r\n",
      "[general]\nb=old\n[General]\nC=in the second section of the name\n",
      "[Separateur Source]\n\n\n",
      "orphan=1\n",
  };
  const std::vector<ProfileWrite> writes = {
      {"General", "A", "2"},   {"Separateur Source", "tabulation", "1"},
      {"General", "B", "x"},   {"New", "k", ""},
      {"General", "a", "3"},   {"Separateur Source", "separateurs", "\t"},
      {"NEW", "other", " v "},
  };
  int n = 0;
  for (const std::optional<std::string>& file : files) {
    SCOPED_TRACE(file.value_or("(no file)"));
    const std::string one = "one" + std::to_string(n) + ".ini";
    const std::string all = "all" + std::to_string(n) + ".ini";
    if (file) {
      folder.Write(one, *file);
      folder.Write(all, *file);
    }
    Profile oneByOne(folder.Path() / one);
    for (const ProfileWrite& write : writes) {
      ASSERT_TRUE(oneByOne.WriteProfileString(write.section, write.key, write.value));
    }
    Profile together(folder.Path() / all);
    ASSERT_TRUE(together.WriteKeys(writes));
    EXPECT_EQ(ReadFile(together.Path()), ReadFile(oneByOne.Path()));
    EXPECT_EQ(together.GetProfileString("general", "A", ""), "3");
    ++n;
  }

  // A write the file cannot hold is left out, and the others are made.
  Profile profile(folder.Write("q.ini", "[General]\nA=1\n"));
  EXPECT_FALSE(profile.WriteKeys(std::vector<ProfileWrite>{
      {"General", "A", "2\n[Other]"}, {"General", "B", "2"}, {"Gen]eral", "C", "2"}}));
  EXPECT_EQ(ReadFile(profile.Path()), "[General]\nA=1\nB=2\n");
}

TEST(ProfileTest, AProfileKeptAsALinkIsWrittenWhereItPoints) {
  if (testing::kOnWindows) GTEST_SKIP() << "symbolic links need a privilege on Windows";
  testing::ScratchFolder folder;
  const auto target = folder.Write("real.ini", "[General]\nA=1\n");
  const auto link = folder.Path() / "link.ini";
  std::filesystem::create_symlink(target, link);
  Profile profile(link);
  ASSERT_TRUE(profile.WriteProfileInt("General", "A", 2));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "[General]\nA=2\n");
}

// Two writers at once, each with a lock of its own on the lock file (two
// threads here; two processes in the POSIX test), never lose each other's keys.
TEST(ProfileTest, ConcurrentWritersInOneProgramNeverCorruptTheFile) {
  testing::ScratchFolder folder;
  const std::filesystem::path path = folder.Path() / "q.ini";
  constexpr int kWrites = 40;
  bool ok[2] = {true, true};
  std::vector<std::thread> writers;
  for (int w = 0; w < 2; ++w) {
    writers.emplace_back([&, w] {
      Profile profile(path);
      for (int i = 0; i < kWrites; ++i) {
        const std::string key = "Cle" + std::to_string(w) + "_" + std::to_string(i % 5);
        ok[w] = profile.WriteProfileInt(w == 0 ? "General" : "Separateur Source", key, i) && ok[w];
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_TRUE(ok[0] && ok[1]);
  const Profile profile(path);
  for (int i = 0; i < 5; ++i) {
    const int last = kWrites - 1 - (kWrites - 1 - i) % 5;
    EXPECT_EQ(profile.GetProfileInt("General", "Cle0_" + std::to_string(i), -1), last);
    EXPECT_EQ(profile.GetProfileInt("Separateur Source", "Cle1_" + std::to_string(i), -1), last);
  }
}

// A profile that is a pipe or a device is never waited on nor read without end.
TEST(ProfileTest, OnlyARegularFileIsRead) {
  testing::ScratchFolder folder;
  for (const std::string& path : testing::NotRegularFiles(folder.Path())) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Profile(path).GetProfileInt("General", "NbCharSico", 6), 6);
    EXPECT_FALSE(Profile(path).WriteProfileInt("General", "NbCharSico", 7));
  }
}

}  // namespace
}  // namespace quelvane
