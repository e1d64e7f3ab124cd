// Runs a command a number of times, one after another, and measures the
// whole: the wall time from the first start to the last exit, and the
// processor time (user and system, of all its threads) that the runs took.
// Waiting for each run blocks until it exits, so a short run is timed to the
// microsecond (peak_memory samples every few milliseconds, which is too
// coarse for a run of a few milliseconds).
//
//   run_times [-n COUNT] COMMAND [ARG]...
//
// Standard input, output and error of the command are /dev/null. Prints one
// line, "WALL_SECONDS CPU_SECONDS STATUS", where STATUS is "exit=N" or
// "signal=N" of the last run. Exits with 0 once the command has been
// measured, whatever its own status, and with 2 when it cannot be started.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern char** environ;

namespace {

int usage() {
  std::fputs("usage: run_times [-n COUNT] COMMAND [ARG]...\n", stderr);
  return 2;
}

double seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  long count = 1;
  int arg = 1;
  if (arg + 1 < argc && std::strcmp(argv[arg], "-n") == 0) {
    count = std::strtol(argv[arg + 1], nullptr, 10);
    if (count < 1) return usage();
    arg += 2;
  }
  if (arg < argc && std::strcmp(argv[arg], "--") == 0) ++arg;
  if (arg >= argc) return usage();

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  double cpu = 0;
  int status = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long run = 0; run < count; ++run) {
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[arg], &actions, nullptr, argv + arg, environ);
    if (error != 0) {
      std::fprintf(stderr, "run_times: %s: %s\n", argv[arg], std::strerror(error));
      return 2;
    }
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
      if (errno != EINTR) {
        std::perror("wait4");
        return 2;
      }
    }
    cpu += seconds(usage.ru_utime) + seconds(usage.ru_stime);
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);

  const std::string ending = WIFSIGNALED(status) ? "signal=" + std::to_string(WTERMSIG(status))
                                                 : "exit=" + std::to_string(WEXITSTATUS(status));
  std::printf("%.6f %.6f %s\n", wall.count(), cpu, ending.c_str());
  return 0;
}
