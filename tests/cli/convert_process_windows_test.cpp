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
#include "core/os.h"
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
    outPath_ = folder.parent_path() / (folder.filename().wstring() + L".out");
    errPath_ = folder.parent_path() / (folder.filename().wstring() + L".err");
    out_ = ::CreateFileW(outPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    err_ = ::CreateFileW(errPath_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = out_;
    startup.hStdError = separateErrors_ ? err_ : out_;
    std::wstring commandLine = L"\"" + fs::path(QUELVANE_CLI).wstring() + L"\" " + arguments;
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                folder.c_str(), &startup, &process_) != 0;
  }
  ~Program() {
    if (started_) {
      ::CloseHandle(process_.hProcess);
      ::CloseHandle(process_.hThread);
    }
    if (out_ != INVALID_HANDLE_VALUE) ::CloseHandle(out_);
    if (err_ != INVALID_HANDLE_VALUE) ::CloseHandle(err_);
    std::error_code ignored;
    fs::remove(outPath_, ignored);
    fs::remove(errPath_, ignored);
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
    ::CloseHandle(err_);
    out_ = err_ = INVALID_HANDLE_VALUE;
    return status;
  }
  std::string Output() const { return ReadFile(outPath_); }
  std::string Errors() const { return ReadFile(errPath_); }

 private:
  PROCESS_INFORMATION process_{};
  HANDLE out_ = INVALID_HANDLE_VALUE;
  HANDLE err_ = INVALID_HANDLE_VALUE;
  bool separateErrors_ = true;
  bool started_ = false;
  fs::path outPath_;
  fs::path errPath_;
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

// The golden cases through quelvane-cli.exe itself: the arguments from the wide
// command line, the log and the messages through the standard handles, the
// files: the same bytes as on Linux.
TEST(ConvertProcessTest, GoldenCasesGiveTheSameBytesAsOnLinux) {
  const fs::path cases = fs::path(QUELVANE_TEST_DATA) / "convert";
  for (const auto& folder : fs::directory_iterator(cases)) {
    SCOPED_TRACE(Utf8FromPath(folder.path().filename()));
    std::wstring commandLine = L"convert";
    const std::string args = ReadFile(folder.path() / "args");
    std::size_t start = 0;
    for (std::size_t end; (end = args.find('\n', start)) != std::string::npos; start = end + 1) {
      commandLine += L" \"" + PathFromUtf8(args.substr(start, end - start)).wstring() + L"\"";
    }
    testing::ScratchFolder work;
    std::map<std::wstring, std::string> inputs;
    if (fs::exists(folder.path() / "in")) inputs = Files(folder.path() / "in");
    for (const auto& [name, bytes] : inputs) testing::WriteFile(work.Path() / name, bytes);
    Program program(work.Path(), commandLine);
    ASSERT_TRUE(program.Started());
    const DWORD status = program.Wait();
    EXPECT_EQ(status, static_cast<DWORD>(std::stoi(ReadFile(folder.path() / "status"))));
    EXPECT_EQ(program.Output(), ReadFile(folder.path() / "stdout"));
    EXPECT_EQ(program.Errors(), ReadFile(folder.path() / "stderr"));
    std::map<std::wstring, std::string> expected = inputs;
    if (fs::exists(folder.path() / "expected")) {
      for (const auto& [name, bytes] : Files(folder.path() / "expected")) expected[name] = bytes;
    }
    EXPECT_EQ(Files(work.Path()), expected);
  }
}

// Sends Ctrl-C or Ctrl-Break to a program of a console of its own, as a user
// at its console would: this process joins that console for the time it takes.
bool PressKeys(DWORD processId, DWORD event) {
  ::FreeConsole();
  // The console may not be there yet when the program has just started.
  bool attached = false;
  for (int attempt = 0; attempt < 100 && !attached; ++attempt) {
    attached = ::AttachConsole(processId) != 0;
    if (!attached) ::Sleep(10);
  }
  if (!attached) return false;             // the program has ended already
  ::SetConsoleCtrlHandler(nullptr, TRUE);  // not for this process
  const bool sent = ::GenerateConsoleCtrlEvent(event, 0) != 0;
  ::Sleep(50);
  ::FreeConsole();
  return sent;
}

// Ctrl-C, Ctrl-Break or a kill at any moment leave the earlier output or the
// whole new one, and nothing else; an interrupted program ends as Windows
// console programs end.
TEST(ConvertProcessTest, InterruptsAndKillsLeaveNothingBehind) {
  testing::ScratchFolder work;
  std::string lines;
  std::string converted;
  while (lines.size() < (std::size_t{32} << 20)) {
    lines += "3007\t20240102\t12.5\t13.0\r\n";
    converted += "FR0000030074\t20240102\t12.5\t13.0\r\n";
  }
  testing::WriteFile(work.Path() / "big.txt", lines);
  int interrupted = 0;
  for (const DWORD event : {DWORD{CTRL_C_EVENT}, DWORD{CTRL_BREAK_EVENT}, DWORD{99}}) {
    for (const DWORD delayMs : {DWORD{20}, DWORD{150}, DWORD{400}}) {
      const bool kill = event == 99;
      SCOPED_TRACE((kill ? std::string("kill") : "event " + std::to_string(event)) + " after " +
                   std::to_string(delayMs) + " ms");
      testing::WriteFile(work.Path() / "big.txt.new", "earlier");
      Program program(work.Path(), L"convert -a big.txt", CREATE_NEW_CONSOLE);
      ASSERT_TRUE(program.Started());
      ::Sleep(delayMs);
      if (kill) {
        program.Kill();
      } else {
        PressKeys(program.Id(), event);
      }
      const DWORD status = program.Wait();
      const std::string output = ReadFile(work.Path() / "big.txt.new");
      EXPECT_TRUE(output == "earlier" || output == converted);
      EXPECT_EQ(Files(work.Path()).size(), 2u) << "nothing but the input and its output";
      if (!kill && status != static_cast<DWORD>(kExitOk)) {
        EXPECT_EQ(status, static_cast<DWORD>(STATUS_CONTROL_C_EXIT));
        ++interrupted;
      }
    }
  }
  // Wine hands a console's Ctrl-C to its program only now and then (see
  // WINE.md); what came through was checked above.
  if (interrupted == 0) GTEST_SKIP() << "no Ctrl-C or Ctrl-Break reached the program under wine";
}

TEST(ConvertProcessTest, StandardOutputOnAFullDisk) {
  GTEST_SKIP() << "Windows has no device that is always full (/dev/full)";
}

}  // namespace
}  // namespace quelvane
