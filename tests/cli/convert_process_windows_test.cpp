// quelvane-cli.exe as a process under the faults Windows users meet: any name
// on the wide command line, Ctrl-Break and a kill at any moment, an earlier
// output another program holds open.
#include <windows.h>
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <filesystem>
#include <map>
#include <string>

#include "cli/cli.h"
#include "tests/core/test_files.h"

namespace quelvane {
namespace {

using testing::ReadFile;

namespace fs = std::filesystem;

std::map<std::wstring, std::string> Files(const fs::path& folder) {
  std::map<std::wstring, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().wstring()] = ReadFile(entry.path());
  }
  return files;
}

// The program started in `folder`, its standard output and error in files there.
class Program {
 public:
  Program(const fs::path& folder, const std::wstring& arguments, DWORD flags = 0) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    out_ = ::CreateFileW((folder.parent_path() / (folder.filename().wstring() + L".out")).c_str(),
                         GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out_;
    startup.hStdError = out_;
    std::wstring commandLine = L"\"" + fs::path(QUELVANE_CLI).wstring() + L"\" " + arguments;
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                folder.c_str(), &startup, &process_) != 0;
    outPath_ = folder.parent_path() / (folder.filename().wstring() + L".out");
  }
  ~Program() {
    if (started_) {
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
    if (out_ != INVALID_HANDLE_VALUE) ::CloseHandle(out_);
    std::error_code ignored;
    fs::remove(outPath_, ignored);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  DWORD Id() const { return process_.dwProcessId; }
  void Kill() { ::TerminateProcess(process_.hProcess, 9); }
  DWORD Wait() {
    ::WaitForSingleObject(process_.hProcess, INFINITE);
    DWORD status = 0;
    ::GetExitCodeProcess(process_.hProcess, &status);
    ::CloseHandle(out_);
    out_ = INVALID_HANDLE_VALUE;
    return status;
  }
  std::string Output() const { return ReadFile(outPath_); }

 private:
  PROCESS_INFORMATION process_{};
  HANDLE out_ = INVALID_HANDLE_VALUE;
  bool started_ = false;
  fs::path outPath_;
};

TEST(ConvertProcessTest, AnyNameComesThroughTheWideCommandLine) {
  testing::ScratchFolder work;
  const std::wstring japanese = L"\u65e5\u672c.txt";
  const std::wstring accented = L"\u00e9t\u00e9 2024.txt";
  testing::WriteFile(work.Path() / japanese, "3007\t1\r\n");
  testing::WriteFile(work.Path() / accented, "10728\t2\r\n");
  Program program(work.Path(), L"convert -a \"" + japanese + L"\" \"" + accented + L"\"");
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(), static_cast<DWORD>(kExitOk));
  EXPECT_EQ(ReadFile(work.Path() / (japanese + L".new")), "FR0000030074\t1\r\n");
  EXPECT_EQ(ReadFile(work.Path() / (accented + L".new")), "FR0000003402\t2\r\n");
  // The log names them in UTF-8, the same bytes as on Linux.
  const std::string log = program.Output();
  EXPECT_NE(log.find("==> Traitement fichier '\xE6\x97\xA5\xE6\x9C\xAC.txt'"), std::string::npos)
      << log;
  EXPECT_NE(log.find("==> Traitement fichier '\xC3\xA9t\xC3\xA9 2024.txt'"), std::string::npos);
  EXPECT_EQ(log.find('\r'), std::string::npos) << "no text-mode line ends";
}

TEST(ConvertProcessTest, AnOutputHeldByAnotherProgramIsKept) {
  testing::ScratchFolder work;
  testing::WriteFile(work.Path() / "a.txt", "3007\t1\r\n");
  testing::WriteFile(work.Path() / "a.txt.new", "earlier");
  const HANDLE held = ::CreateFileW((work.Path() / "a.txt.new").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Program program(work.Path(), L"convert a.txt");
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(), static_cast<DWORD>(kExitWarnings));
  ::CloseHandle(held);
  EXPECT_NE(program.Output().find("il est ouvert dans un autre programme"), std::string::npos)
      << program.Output();
  EXPECT_EQ(ReadFile(work.Path() / "a.txt.new"), "earlier");
  EXPECT_EQ(Files(work.Path()).size(), 2u);
}

// Ctrl-Break (Ctrl-C cannot be sent to one program alone) or a kill at any
// moment leave the earlier output or the whole new one, and nothing else.
TEST(ConvertProcessTest, InterruptsAndKillsLeaveNothingBehind) {
  testing::ScratchFolder work;
  std::string lines;
  std::string converted;
  while (lines.size() < (std::size_t{16} << 20)) {
    lines += "3007\t20240102\t12.5\t13.0\r\n";
    converted += "FR0000030074\t20240102\t12.5\t13.0\r\n";
  }
  testing::WriteFile(work.Path() / "big.txt", lines);
  const bool console = ::AllocConsole() != 0 || ::GetConsoleWindow() != nullptr;
  for (const bool kill : {false, true}) {
    for (const DWORD delayMs : {30, 150, 400}) {
      SCOPED_TRACE(std::string(kill ? "kill" : "Ctrl-Break") + " after " + std::to_string(delayMs) +
                   " ms");
      testing::WriteFile(work.Path() / "big.txt.new", "earlier");
      Program program(work.Path(), L"convert -a big.txt", CREATE_NEW_PROCESS_GROUP);
      ASSERT_TRUE(program.Started());
      ::Sleep(delayMs);
      if (kill) {
        program.Kill();
      } else if (!console || !::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, program.Id())) {
        program.Kill();
        GTEST_SKIP() << "no console to send Ctrl-Break through";
      }
      const DWORD status = program.Wait();
      const std::string output = ReadFile(work.Path() / "big.txt.new");
      EXPECT_TRUE(output == "earlier" || output == converted);
      EXPECT_EQ(Files(work.Path()).size(), 2u) << "nothing but the input and its output";
      if (output == "earlier" && !kill) {
        EXPECT_EQ(status, static_cast<DWORD>(STATUS_CONTROL_C_EXIT));
      }
    }
  }
}

TEST(ConvertProcessTest, StandardOutputOnAFullDisk) {
  GTEST_SKIP() << "Windows has no device that is always full (/dev/full)";
}

}  // namespace
}  // namespace quelvane
