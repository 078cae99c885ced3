// quelvane-cli as a process under the faults POSIX systems make on demand:
// signals at any moment, a full disk for standard output, a file-size limit.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "cli/cli.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::ReadFile;

namespace fs = std::filesystem;

std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
    }
  }
  return files;
}

// The real program under real faults. A run ended by a signal at any moment
// leaves no partial output and no temporary file, keeps an earlier output, and
// ends by that signal; a file-size limit is an ordinary write failure.
TEST(ConvertProcessTest, FaultsLeaveNothingBehind) {
  testing::ScratchFolder work;
  std::string lines;
  std::string converted;
  while (lines.size() < (std::size_t{24} << 20)) {
    lines += "3007\t20240102\t12.5\t13.0\r\n";
    converted += "FR0000030074\t20240102\t12.5\t13.0\r\n";
  }
  work.Write("big.txt", lines);
  // The earlier output, or the whole new one (a signal may come once it is in place).
  const auto earlierOrWhole = [&] {
    const std::string output = ReadFile(work.Path() / "big.txt.new");
    return output == "earlier" || output == converted;
  };
  const auto run = [&](int signalNumber, int delayMs, rlim_t sizeLimit) {
    work.Write("big.txt.new", "earlier");
    const pid_t child = fork();
    if (child == 0) {
      if (::chdir(work.Path().c_str()) != 0) _exit(99);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, STDOUT_FILENO);
      ::dup2(null, STDERR_FILENO);
      if (sizeLimit != 0) {
        const rlimit limit{sizeLimit, sizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      ::execl(QUELVANE_CLI, "quelvane-cli", "convert", "-a", "big.txt", nullptr);
      _exit(98);
    }
    if (signalNumber != 0) {
      ::usleep(static_cast<useconds_t>(delayMs) * 1000);
      ::kill(child, signalNumber);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
  };
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    for (const int delayMs : {30, 120}) {
      SCOPED_TRACE(std::to_string(signalNumber) + " after " + std::to_string(delayMs) + " ms");
      const int status = run(signalNumber, delayMs, 0);
      const auto files = Files(work.Path());
      EXPECT_EQ(files.size(), 2u) << "nothing but the input and its output";
      EXPECT_TRUE(earlierOrWhole());
      if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), signalNumber);
      } else {  // the run was quicker than the signal
        EXPECT_EQ(WEXITSTATUS(status), kExitOk);
      }
    }
  }
  // Standard output on a full disk: the file is converted, the loss said, status 4.
  const pid_t child = fork();
  if (child == 0) {
    if (::chdir(work.Path().c_str()) != 0) _exit(99);
    ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO);
    ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
    ::execl(QUELVANE_CLI, "quelvane-cli", "convert", "-a", "big.txt", nullptr);
    _exit(98);
  }
  int lost = 0;
  ::waitpid(child, &lost, 0);
  EXPECT_TRUE(WIFEXITED(lost) && WEXITSTATUS(lost) == kExitOutputLost);
  EXPECT_TRUE(earlierOrWhole() && ReadFile(work.Path() / "big.txt.new") != "earlier");

  // The converted file of "-" on a full disk: said as standard output, status 4.
  const pid_t piped = fork();
  if (piped == 0) {
    if (::chdir(work.Path().c_str()) != 0) _exit(99);
    ::dup2(::open("big.txt", O_RDONLY), STDIN_FILENO);
    ::dup2(::open("/dev/full", O_WRONLY), STDOUT_FILENO);
    ::dup2(::open("err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    ::execl(QUELVANE_CLI, "quelvane-cli", "convert", "-a", "-", nullptr);
    _exit(98);
  }
  int pipedStatus = 0;
  ::waitpid(piped, &pipedStatus, 0);
  EXPECT_TRUE(WIFEXITED(pipedStatus) && WEXITSTATUS(pipedStatus) == kExitOutputLost);
  const std::string said = ReadFile(work.Path() / "err.txt");
  EXPECT_NE(said.find("Impossible d'écrire le fichier converti sur la sortie standard"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("-.new"), std::string::npos) << said;
  std::filesystem::remove(work.Path() / "err.txt");

  // The log of "-" goes to standard error: lost there, it is status 4 too, and
  // the converted file is whole.
  const pid_t logged = fork();
  if (logged == 0) {
    if (::chdir(work.Path().c_str()) != 0) _exit(99);
    ::dup2(::open("big.txt", O_RDONLY), STDIN_FILENO);
    ::dup2(::open("out.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    ::dup2(::open("/dev/full", O_WRONLY), STDERR_FILENO);
    ::execl(QUELVANE_CLI, "quelvane-cli", "convert", "-a", "-", nullptr);
    _exit(98);
  }
  int loggedStatus = 0;
  ::waitpid(logged, &loggedStatus, 0);
  EXPECT_TRUE(WIFEXITED(loggedStatus) && WEXITSTATUS(loggedStatus) == kExitOutputLost);
  EXPECT_TRUE(ReadFile(work.Path() / "out.txt") == converted);
  std::filesystem::remove(work.Path() / "out.txt");

  // An output the file-size limit cuts short is not converted: status 6, not 1.
  const int limited = run(0, 0, rlim_t{1} << 20);
  EXPECT_TRUE(WIFEXITED(limited) && WEXITSTATUS(limited) == kExitFileNotConverted);
  EXPECT_TRUE(ReadFile(work.Path() / "big.txt.new") == "earlier");
  EXPECT_EQ(Files(work.Path()).size(), 2u);
}

}  // namespace
}  // namespace quelvane
