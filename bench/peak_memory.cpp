// Runs a command and measures it while it runs: its wall time, its peak
// resident memory and its peak anonymous memory (heap, stacks, private
// mappings: what it allocates, unlike the file pages it maps), the last two
// read from /proc/PID/status every few milliseconds.
//
//   peak_memory [-o OUT] [-e ERR] [-i MS] COMMAND [ARG]...
//
// The command's standard output goes to OUT and its standard error to ERR
// (both /dev/null by default); its standard input is /dev/null. Prints one
// line, "WALL_SECONDS HWM_KIB ANON_KIB STATUS", where HWM_KIB is the largest
// VmHWM seen (or the kernel's maxrss at exit, if larger, which also counts
// the children the command waited for), ANON_KIB the largest RssAnon seen of
// the command's own process, and STATUS "exit=N" or "signal=N". Exits with 0
// once the command has been measured, whatever its own status, and with 2
// when the command cannot be started.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

struct Sample {
  long hwm_kib = 0;
  long anon_kib = 0;
};

// The value in KiB of a "Name:   1234 kB" line of a status file, or -1.
long field_kib(const std::string& status, const char* name) {
  const std::size_t at = status.find(name);
  if (at == std::string::npos) return -1;
  return std::strtol(status.c_str() + at + std::strlen(name), nullptr, 10);
}

// Reads the memory figures of a running process. Once it has exited (a
// zombie has no memory left, so no Vm lines) or has been reaped (no file at
// all), the read gives nothing and the sample stays as it was.
void take_sample(const std::string& path, Sample& peak) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  std::string status;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    status.append(buffer, static_cast<std::size_t>(got));
  }
  close(fd);
  const long hwm = field_kib(status, "\nVmHWM:");
  const long anon = field_kib(status, "\nRssAnon:");
  if (hwm > peak.hwm_kib) peak.hwm_kib = hwm;
  if (anon > peak.anon_kib) peak.anon_kib = anon;
}

int usage() {
  std::fputs("usage: peak_memory [-o OUT] [-e ERR] [-i MS] COMMAND [ARG]...\n", stderr);
  return 2;
}

// Points descriptor `target` at `path`, opened with `flags`; in the child
// only, so it may end the process.
void redirect(const char* path, int flags, int target) {
  const int fd = open(path, flags, 0644);
  if (fd < 0 || dup2(fd, target) < 0) {
    std::perror(path);
    _exit(127);
  }
  if (fd != target) close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  const char* out = "/dev/null";
  const char* err = "/dev/null";
  long interval_ms = 3;
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-'; ++arg) {
    const std::string option = argv[arg];
    if (option == "--") {
      ++arg;
      break;
    }
    if (arg + 1 >= argc) return usage();
    if (option == "-o") {
      out = argv[++arg];
    } else if (option == "-e") {
      err = argv[++arg];
    } else if (option == "-i") {
      interval_ms = std::strtol(argv[++arg], nullptr, 10);
      if (interval_ms < 1) return usage();
    } else {
      return usage();
    }
  }
  if (arg >= argc) return usage();

  // The child writes errno here if exec fails; a successful exec closes it.
  int exec_pipe[2];
  if (pipe2(exec_pipe, O_CLOEXEC) != 0) {
    std::perror("pipe");
    return 2;
  }

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    return 2;
  }
  if (pid == 0) {
    close(exec_pipe[0]);
    redirect("/dev/null", O_RDONLY, STDIN_FILENO);
    redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
    redirect(err, O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
    execvp(argv[arg], argv + arg);
    const int error = errno;
    if (write(exec_pipe[1], &error, sizeof error) < 0) _exit(127);
    _exit(127);
  }
  close(exec_pipe[1]);
  int exec_error = 0;
  ssize_t got = 0;
  do {
    got = read(exec_pipe[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  close(exec_pipe[0]);
  if (got == static_cast<ssize_t>(sizeof exec_error)) {
    waitpid(pid, nullptr, 0);
    std::fprintf(stderr, "peak_memory: %s: %s\n", argv[arg], std::strerror(exec_error));
    return 2;
  }

  const std::string path = "/proc/" + std::to_string(pid) + "/status";
  Sample peak;
  int status = 0;
  rusage usage_at_exit{};
  for (;;) {
    take_sample(path, peak);
    const pid_t done = wait4(pid, &status, WNOHANG, &usage_at_exit);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      std::perror("wait4");
      return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(interval_ms));
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

  // The high-water mark reached after the last sample is still in maxrss.
  if (usage_at_exit.ru_maxrss > peak.hwm_kib) peak.hwm_kib = usage_at_exit.ru_maxrss;
  std::string ending;
  if (WIFSIGNALED(status)) {
    ending = "signal=" + std::to_string(WTERMSIG(status));
  } else {
    ending = "exit=" + std::to_string(WEXITSTATUS(status));
  }
  std::printf("%.6f %ld %ld %s\n", wall.count(), peak.hwm_kib, peak.anon_kib, ending.c_str());
  return 0;
}
