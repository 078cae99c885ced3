// The run under the faults Windows users meet: an earlier output open in
// another program (charting programs keep their files open), a read-only
// output, device names, names that differ only in letter case, long paths.
#include <windows.h>
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <filesystem>

#include "tests/run/process_files_fixture.h"

namespace quelvane {
namespace {

using testing::Names;
using testing::ProcessFilesTest;
using testing::ReadFile;

// A handle as a charting program holds its file: open, sharing nothing.
class HeldOpen {
 public:
  explicit HeldOpen(const std::filesystem::path& path)
      : handle_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldOpen() { Release(); }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

TEST_F(ProcessFilesTest, AnOutputOpenInAnotherProgramIsKeptAndSaidSo) {
  folder_.Write("a.txt", "3007\t1\r\n");
  folder_.Write("a.txt.new", "earlier");
  HeldOpen chart(folder_.Path() / "a.txt.new");
  ASSERT_TRUE(chart.Held());
  const RunTotals totals = Run({Path("a.txt")});
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[3], "  WARNING -> Impossible de remplacer le fichier '" +
                                  Path("a.txt.new") +
                                  "' : il est ouvert dans un autre programme. Fermez-le puis "
                                  "recommencez !");
  chart.Release();
  EXPECT_EQ(ReadFile(Path("a.txt.new")), "earlier");
  EXPECT_EQ(Names(folder_.Path()), (std::vector<std::string>{"a.txt", "a.txt.new"}));
  // Once the other program lets go, the run replaces it.
  EXPECT_EQ(Run({Path("a.txt")}).warnings, 0);
  EXPECT_EQ(ReadFile(Path("a.txt.new")), "FR0000030074\t1\r\n");
}

// An input another program holds without sharing cannot be read: the log says
// why, so that the user closes it rather than looks for it.
TEST_F(ProcessFilesTest, AnInputOpenInAnotherProgramIsSaidSo) {
  folder_.Write("a.txt", "3007\t1\r\n");
  HeldOpen chart(folder_.Path() / "a.txt");
  ASSERT_TRUE(chart.Held());
  const RunTotals totals = Run({Path("a.txt")});
  EXPECT_EQ(totals.filesNotConverted, 1);
  EXPECT_EQ(reporter_.log[2], "  WARNING -> Impossible d'ouvrir le fichier !");
  EXPECT_EQ(reporter_.log[3],
            "             Un autre programme le tient ouvert et en interdit la lecture.");
}

TEST_F(ProcessFilesTest, AReadOnlyOutputIsKeptAndSaidSo) {
  folder_.Write("a.txt", "3007\t1\r\n");
  const auto earlier = folder_.Write("a.txt.new", "earlier");
  ASSERT_TRUE(::SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_READONLY));
  const RunTotals totals = Run({Path("a.txt")});
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[3], "  WARNING -> Impossible de remplacer le fichier '" +
                                  Path("a.txt.new") + "' : il est en lecture seule !");
  EXPECT_EQ(ReadFile(earlier), "earlier");
  EXPECT_EQ(Names(folder_.Path()), (std::vector<std::string>{"a.txt", "a.txt.new"}));
  ::SetFileAttributesW(earlier.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ProcessFilesTest, DeviceNamesAreNeitherReadNorWritten) {
  const std::string kReserved =
      "  WARNING -> Impossible d'ouvrir le fichier : ce nom est réservé par Windows (CON, PRN, "
      "AUX, NUL, COM1 à COM9, LPT1 à LPT9) !";
  const std::vector<std::string> devices = {"CON",        "nul.txt",        Path("Com1.prn"),
                                            Path("lpt9"), Path("aux .txt"), Path("PRN.tar.gz")};
  const RunTotals totals = Run(devices);
  EXPECT_EQ(totals.warnings, static_cast<int>(devices.size()));
  for (std::size_t i = 0; i < devices.size(); ++i) EXPECT_EQ(reporter_.log[3 * i + 2], kReserved);
  EXPECT_TRUE(Names(folder_.Path()).empty());
}

// Windows names compare without letter case: A.TXT's output is a.txt.NEW, which
// is selected too, and is left alone.
TEST_F(ProcessFilesTest, NamesThatDifferOnlyInCaseAreOneFile) {
  folder_.Write("a.txt", "3007\t1\r\n");
  folder_.Write("a.txt.new", "10728\t2\r\n");
  const RunTotals totals = Run({Path("A.TXT"), Path("a.txt.NEW")});
  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[3], "  WARNING -> Le fichier '" + Path("A.TXT.new") +
                                  "' fait partie des fichiers à traiter : il n'est pas remplacé !");
  EXPECT_EQ(ReadFile(Path("a.txt.new")), "10728\t2\r\n");
  EXPECT_EQ(ReadFile(Path("a.txt.new.new")), "FR0000003402\t2\r\n");
}

// Past the classic 260 characters, in folders made through the \\?\ form.
TEST_F(ProcessFilesTest, PathsLongerThanTheClassicLimitWork) {
  std::wstring folder = LR"(\\?\)" + folder_.Path().wstring();
  for (int depth = 0; depth < 4; ++depth) {
    folder += L"\\" + std::wstring(80, static_cast<wchar_t>(L'a' + depth));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  }
  const std::wstring input = folder + L"\\cours.txt";
  const HANDLE file = ::CreateFileW(input.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, "3007\t1\r\n", 8, &written, nullptr);
  ::CloseHandle(file);
  std::string path = folder_.Path().string();
  for (int depth = 0; depth < 4; ++depth)
    path += "\\" + std::string(80, static_cast<char>('a' + depth));
  path += "\\cours.txt";
  ASSERT_GT(path.size(), 260u);
  EXPECT_EQ(Run({path}).warnings, 0);
  const HANDLE output = ::CreateFileW((input + L".new").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(output, INVALID_HANDLE_VALUE);
  char bytes[64] = {};
  DWORD got = 0;
  ::ReadFile(output, bytes, sizeof bytes, &got, nullptr);
  ::CloseHandle(output);
  EXPECT_EQ(std::string(bytes, got), "FR0000030074\t1\r\n");
  // The scratch folder's own cleanup knows no \\?\ form: the long part goes first.
  ::DeleteFileW(input.c_str());
  ::DeleteFileW((input + L".new").c_str());
  for (int depth = 0; depth < 4; ++depth) {
    ::RemoveDirectoryW(folder.c_str());
    folder.erase(folder.rfind(L'\\'));
  }
}

}  // namespace
}  // namespace quelvane
