// Finding and starting programs on POSIX systems.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix/descriptor.h"

extern char** environ;

namespace platform {

namespace {

using posix::Descriptor;

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

}  // namespace

bool opens_for_reading(const char* name) {
  std::FILE* file = std::fopen(native_name(name).c_str(), "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

Program find_program(const char* name) {
  const std::string folder = own_folder();
  if (!folder.empty()) {
    const std::string beside = folder + "/" + name;
    if (is_executable_file(beside)) return Program{beside};
  }
  return Program{search_path(name)};
}

// The output file is opened without being emptied, and ralu writes over it
// from its start; only once the program has ended is the file cut to what it
// wrote. So a program that cannot start leaves an existing file untouched, and
// a file created for it is removed again.
RunResult run_with_output_to(const Program& program, const std::vector<std::string>& arguments,
                             const char* output_name) {
  if (program.path.empty()) return RunResult{RunResult::Outcome::not_started, -1, "not found"};

  const std::string output_path = native_name(output_name);
  bool created = true;
  int fd = ::open(output_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = ::open(output_path.c_str(), O_WRONLY | O_CLOEXEC);
  }
  if (fd < 0) return failure(RunResult::Outcome::output_not_opened, errno);
  const Descriptor output(fd);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, output.get(), STDOUT_FILENO);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.path.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawn_error =
      ::posix_spawn(&child, program.path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawn_error != 0) {
    if (created) ::unlink(output_path.c_str());
    return failure(RunResult::Outcome::not_started, spawn_error);
  }

  int wait_status = 0;
  while (::waitpid(child, &wait_status, 0) < 0) {
    if (errno != EINTR) return failure(RunResult::Outcome::abnormal_end, errno);
  }
  // The child shared our file offset, so it now stands where its output ends.
  const off_t written = ::lseek(output.get(), 0, SEEK_CUR);
  if (written < 0 || ::ftruncate(output.get(), written) != 0) {
    return failure(RunResult::Outcome::output_not_opened, errno);
  }
  if (!WIFEXITED(wait_status)) {
    return RunResult{RunResult::Outcome::abnormal_end, -1,
                     WIFSIGNALED(wait_status) ? strsignal(WTERMSIG(wait_status)) : "stopped"};
  }
  return RunResult{RunResult::Outcome::exited, WEXITSTATUS(wait_status), {}};
}

}  // namespace platform
