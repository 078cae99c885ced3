// quelvane-cli.exe as a process under the faults Windows users meet: any name
// on the wide command line, Ctrl-Break and a kill at any moment, an earlier
// output another program holds open.
#include <windows.h>
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "cli/cli.h"
#include "os/os.h"
#include "tests/support/test_files.h"

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
    if (::WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the program did not end within a minute";
      Kill();
      ::WaitForSingleObject(process_.hProcess, INFINITE);
    }
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

// cmd hands "*.prn" on as typed: the program expands it, after "--" too, but not
// in quotes; a pattern no file matches is a file that is not there.
TEST(ConvertProcessTest, PatternsExpandAsWindowsProgramsExpandThem) {
  testing::ScratchFolder work;
  for (const char* name : {"b.prn", "A.PRN", "c.txt"}) {
    testing::WriteFile(work.Path() / name, "3007\t1\r\n");
  }
  Program program(work.Path(), L"convert -a -- *.prn \"*.txt\" z*.prn");
  ASSERT_TRUE(program.Started());
  EXPECT_EQ(program.Wait(), static_cast<DWORD>(kExitFileNotConverted));
  const std::map<std::wstring, std::string> files = Files(work.Path());
  EXPECT_EQ(files.count(L"A.PRN.new") + files.count(L"b.prn.new"), 2u);
  EXPECT_EQ(files.count(L"c.txt.new"), 0u);
  const std::string log = program.Output();
  std::size_t at = 0;
  for (const char* name : {"'A.PRN'", "'b.prn'", "'*.txt'", "'z*.prn'"}) {
    at = log.find(std::string("==> Traitement fichier ") + name, at);
    EXPECT_NE(at, std::string::npos) << name << "\n" << log;
  }
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
  EXPECT_EQ(program.Wait(), static_cast<DWORD>(kExitFileNotConverted));
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

// A quote file large enough to be interrupted while it is written, and what a
// whole conversion of it gives.
struct BigFile {
  std::string lines;
  std::string converted;
  BigFile() {
    while (lines.size() < (std::size_t{16} << 20)) {
      lines += "3007\t20240102\t12.5\t13.0\r\n";
      converted += "FR0000030074\t20240102\t12.5\t13.0\r\n";
    }
  }
};

// Runs `convert -a big.txt` over an earlier output, does `stop` to it after
// each delay, and checks that only the input and the earlier output or the
// whole new one are left. The statuses, in order.
std::vector<DWORD> StopAtAnyMoment(const std::function<void(Program&)>& stop) {
  static const BigFile big;
  testing::ScratchFolder work;
  testing::WriteFile(work.Path() / "big.txt", big.lines);
  std::vector<DWORD> statuses;
  for (const DWORD delayMs : {DWORD{20}, DWORD{150}, DWORD{400}}) {
    SCOPED_TRACE("after " + std::to_string(delayMs) + " ms");
    testing::WriteFile(work.Path() / "big.txt.new", "earlier");
    Program program(work.Path(), L"convert -a big.txt", CREATE_NEW_CONSOLE);
    if (!program.Started()) {
      ADD_FAILURE() << "quelvane-cli.exe did not start";
      return statuses;
    }
    ::Sleep(delayMs);
    stop(program);
    statuses.push_back(program.Wait());
    const std::string output = ReadFile(work.Path() / "big.txt.new");
    EXPECT_TRUE(output == "earlier" || output == big.converted);
    EXPECT_EQ(Files(work.Path()).size(), 2u) << "nothing but the input and its output";
  }
  return statuses;
}

// A kill at any moment (Task Manager's "End task", TerminateProcess) leaves the
// earlier output or the whole new one, and no temporary file: it was marked
// for deletion while written.
TEST(ConvertProcessTest, AKillLeavesNothingBehind) {
  StopAtAnyMoment([](Program& program) { program.Kill(); });
}

// Ctrl-C and Ctrl-Break likewise, and the program ends as Windows console
// programs end. Wine hands a console's Ctrl-C to a program of another console
// only now and then, and the sender may then wait for ever: under wine this
// runs only when QUELVANE_TRY_CTRL_C is set (it was tried by hand through a
// terminal, where Ctrl-C is typed).
TEST(ConvertProcessTest, CtrlCAndCtrlBreakLeaveNothingBehind) {
  const DWORD length = ::GetEnvironmentVariableW(L"QUELVANE_TRY_CTRL_C", nullptr, 0);
  if (length == 0 && ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    GTEST_SKIP() << "wine delivers Ctrl-C to another console's program unreliably; set "
                    "QUELVANE_TRY_CTRL_C=1 to try";
  }
  for (const DWORD event : {DWORD{CTRL_C_EVENT}, DWORD{CTRL_BREAK_EVENT}}) {
    SCOPED_TRACE(event == CTRL_C_EVENT ? "Ctrl-C" : "Ctrl-Break");
    for (const DWORD status :
         StopAtAnyMoment([&](Program& program) { PressKeys(program.Id(), event); })) {
      EXPECT_TRUE(status == static_cast<DWORD>(kExitOk) ||
                  status == static_cast<DWORD>(STATUS_CONTROL_C_EXIT))
          << status;
    }
  }
}

}  // namespace
}  // namespace quelvane
