// Runs a command and reports what it cost: wall time, CPU time (user and system,
// its children's included) and peak resident memory. On a machine shared with
// other work, CPU time stays close to what the command needs while wall time
// grows with everyone else's load, so the benchmarks compare CPU times.
//
//   time_run REPORT_FILE COMMAND [ARGUMENT...]
//
// Writes "wall_ns cpu_ns peak_kB exit_status user_ns system_ns" to REPORT_FILE;
// exits with the command's status.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace {

std::int64_t Nanoseconds(const timeval& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 +
         static_cast<std::int64_t>(t.tv_usec) * 1'000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: time_run REPORT_FILE COMMAND [ARGUMENT...]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) return 2;
  if (child == 0) {
    ::execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return 2;
  const auto wall = std::chrono::steady_clock::now() - start;
  const int exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 2;
  std::fprintf(report, "%lld %lld %ld %d %lld %lld\n",
               static_cast<long long>(std::chrono::nanoseconds(wall).count()),
               static_cast<long long>(Nanoseconds(usage.ru_utime) + Nanoseconds(usage.ru_stime)),
               usage.ru_maxrss, exitStatus, static_cast<long long>(Nanoseconds(usage.ru_utime)),
               static_cast<long long>(Nanoseconds(usage.ru_stime)));
  return std::fclose(report) == 0 ? exitStatus : 2;
}
