// Finding and starting programs on POSIX systems.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/staged_file.h"

extern char** environ;

namespace platform {

namespace {

bool is_executable_file(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// The folder of the running executable, or empty when the system won't say.
std::string own_folder() {
  std::string path(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(length));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string search_path(const char* name) {
  const char* path_variable = std::getenv("PATH");
  if (path_variable == nullptr) return {};
  std::string_view rest(path_variable);
  for (;;) {
    const std::size_t colon = rest.find(':');
    std::string folder(rest.substr(0, colon));
    if (folder.empty()) folder = ".";  // an empty PATH entry means the current folder
    std::string candidate = folder + "/" + name;
    if (is_executable_file(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

// The interrupts and requests to end that stop a run: Ctrl-C, kill, and the
// terminal going away.
constexpr int interrupt_signals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t interrupt_signal_count = std::size(interrupt_signals);

// What the handlers note; the waiting loop acts on it. A count, so that a
// second interrupt is told on to the program as the first was.
volatile std::sig_atomic_t noted_signal = 0;
volatile std::sig_atomic_t noted_count = 0;

extern "C" void note_interrupt(int signal) {
  noted_signal = signal;
  noted_count = noted_count + 1;
}

// Only there to wake the waiting loop: SIGCHLD's default action ignores it.
extern "C" void note_child_end(int) {}

// While a run waits for its program, the interrupt signals are caught and only
// noted, and they and SIGCHLD stay blocked except while the loop sleeps in
// sigsuspend, so none can come between a look at what was noted and the
// sleep, nor between the last look and publishing the output. A signal that
// was ignored when the run began stays ignored, for this process and the
// program alike. Everything is put back as it was at the end.
class InterruptWatch {
 public:
  InterruptWatch() {
    noted_signal = 0;
    noted_count = 0;
    sigset_t blocked;
    sigemptyset(&blocked);
    for (const int signal : interrupt_signals) sigaddset(&blocked, signal);
    sigaddset(&blocked, SIGCHLD);
    ::sigprocmask(SIG_BLOCK, &blocked, &original_mask_);
    sleeping_mask_ = original_mask_;
    for (const int signal : interrupt_signals) sigdelset(&sleeping_mask_, signal);
    sigdelset(&sleeping_mask_, SIGCHLD);

    struct sigaction noting {};
    noting.sa_handler = note_interrupt;
    sigemptyset(&noting.sa_mask);
    for (std::size_t i = 0; i < interrupt_signal_count; ++i) {
      ::sigaction(interrupt_signals[i], nullptr, &saved_[i]);
      if (saved_[i].sa_handler != SIG_IGN) ::sigaction(interrupt_signals[i], &noting, nullptr);
    }
    struct sigaction waking {};
    waking.sa_handler = note_child_end;
    waking.sa_flags = SA_NOCLDSTOP;
    sigemptyset(&waking.sa_mask);
    ::sigaction(SIGCHLD, &waking, &saved_child_);
  }
  ~InterruptWatch() {
    for (std::size_t i = 0; i < interrupt_signal_count; ++i) {
      ::sigaction(interrupt_signals[i], &saved_[i], nullptr);
    }
    ::sigaction(SIGCHLD, &saved_child_, nullptr);
    ::sigprocmask(SIG_SETMASK, &original_mask_, nullptr);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // The mask the program starts with: this process's own before the run.
  const sigset_t& original_mask() const { return original_mask_; }

  // Sleeps until a signal has been handled.
  void sleep() const { ::sigsuspend(&sleeping_mask_); }

  // Takes interrupts that came after the last sleep off the pending list and
  // notes them as the handler would have: one that came as the program ended
  // (a terminal's Ctrl-C reaches both at once) still ends the run as an
  // interrupt, and one delivered as the handlers go would end the process
  // before its caller could say why.
  void note_pending_interrupts() const {
    sigset_t pending;
    if (::sigpending(&pending) != 0) return;
    for (std::size_t i = 0; i < interrupt_signal_count; ++i) {
      if (saved_[i].sa_handler == SIG_IGN || !sigismember(&pending, interrupt_signals[i])) continue;
      sigset_t just_this;
      sigemptyset(&just_this);
      sigaddset(&just_this, interrupt_signals[i]);
      int taken = 0;
      ::sigwait(&just_this, &taken);  // returns at once: the signal is pending
      if (noted_count == 0) noted_signal = taken;
      noted_count = noted_count + 1;
    }
  }

 private:
  sigset_t original_mask_{};
  sigset_t sleeping_mask_{};
  struct sigaction saved_[interrupt_signal_count] {};
  struct sigaction saved_child_ {};
};

RunResult failure(RunResult::Outcome outcome, int error) {
  return RunResult{outcome, -1, std::strerror(error)};
}

// Starts the program with its standard output going to output_fd. Returns 0
// and the child's id, or the error that kept it from starting.
int spawn_with_output(const Program& program, const std::vector<std::string>& arguments,
                      int output_fd, const sigset_t& signal_mask, pid_t& child) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
  // The program starts with the signals this process had before the run
  // blocked them; caught ones are back at their defaults after exec.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setsigmask(&attributes, &signal_mask);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const int error =
      ::posix_spawn(&child, program.path.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

// How a child that did not exit ended: "ended by signal 9 (Killed)".
std::string describe_signal_end(int wait_status) {
  const int signal = WTERMSIG(wait_status);
  return "ended by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
}

}  // namespace

Program find_program(const char* name) {
  const std::string folder = own_folder();
  if (!folder.empty()) {
    const std::string beside = folder + "/" + name;
    if (is_executable_file(beside)) return Program{beside};
  }
  return Program{search_path(name)};
}

RunResult run_with_output_to(const Program& program, const std::vector<std::string>& arguments,
                             const char* output_name, int highest_success_status) {
  if (program.path.empty()) return RunResult{RunResult::Outcome::not_started, -1, "not found"};

  // Watching before the output file exists, so that no interrupt can leave
  // it behind; and declared first, so that the file is gone before the
  // interrupt signals are unblocked again.
  const InterruptWatch watch;
  posix::StagedFile output(native_name(output_name));
  if (output.descriptor() < 0)
    return failure(RunResult::Outcome::output_not_written, output.error());

  pid_t child = 0;
  if (const int error =
          spawn_with_output(program, arguments, output.descriptor(), watch.original_mask(), child);
      error != 0) {
    return failure(RunResult::Outcome::not_started, error);
  }
  int wait_status = 0;
  std::sig_atomic_t forwarded = 0;
  for (;;) {
    const pid_t ended = ::waitpid(child, &wait_status, WNOHANG);
    if (ended == child) break;
    if (ended < 0 && errno != EINTR) {
      return RunResult{RunResult::Outcome::abnormal_end, -1,
                       std::string("cannot be waited for: ") + std::strerror(errno)};
    }
    // Each interrupt is told on to the program, which a terminal's Ctrl-C
    // reaches anyway but a kill of this process alone does not.
    if (noted_count != forwarded) {
      forwarded = noted_count;
      ::kill(child, noted_signal);
    }
    if (ended == 0) watch.sleep();
  }
  watch.note_pending_interrupts();
  if (noted_count != 0) {
    output.discard();
    return RunResult{RunResult::Outcome::interrupted, noted_signal, {}};
  }
  // Without WUNTRACED, waitpid tells only of a child that ended.
  if (!WIFEXITED(wait_status)) {
    return RunResult{RunResult::Outcome::abnormal_end, -1, describe_signal_end(wait_status)};
  }
  const int status = WEXITSTATUS(wait_status);
  if (status > highest_success_status) return RunResult{RunResult::Outcome::failed, status, {}};
  if (const int error = output.publish(); error != 0) {
    return failure(RunResult::Outcome::output_not_written, error);
  }
  return RunResult{RunResult::Outcome::written, status, {}};
}

[[noreturn]] void end_as_interrupted(int interrupt) {
  std::signal(interrupt, SIG_DFL);
  sigset_t just_this;
  sigemptyset(&just_this);
  sigaddset(&just_this, interrupt);
  ::sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
  std::raise(interrupt);
  // A signal whose default is not to end the process: end as a shell would
  // show it.
  std::_Exit(128 + interrupt);
}

}  // namespace platform
