// Finding and starting programs on POSIX systems.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

RunResult failure(RunResult::Outcome outcome, int error) {
  return RunResult{outcome, -1, std::strerror(error)};
}

// Starts the program with its standard output going to output_fd. Returns 0
// and the child's id, or the error that kept it from starting.
int spawn_with_output(const Program& program, const std::vector<std::string>& arguments,
                      int output_fd, pid_t& child) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const int error =
      ::posix_spawn(&child, program.path.c_str(), &actions, nullptr, argv.data(), environ);
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

  posix::StagedFile output(native_name(output_name));
  if (output.descriptor() < 0)
    return failure(RunResult::Outcome::output_not_written, output.error());

  pid_t child = 0;
  if (const int error = spawn_with_output(program, arguments, output.descriptor(), child);
      error != 0) {
    return failure(RunResult::Outcome::not_started, error);
  }
  int wait_status = 0;
  while (::waitpid(child, &wait_status, 0) < 0) {
    if (errno != EINTR) {
      return RunResult{RunResult::Outcome::abnormal_end, -1,
                       std::string("cannot be waited for: ") + std::strerror(errno)};
    }
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

}  // namespace platform
