#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace test_support {

namespace {

[[noreturn]] void child(const std::string& program, const std::vector<std::string>& args,
                        const ProcessOptions& options, const TempDir& scratch) {
  const int in = ::open(scratch.path("stdin").c_str(), O_RDONLY);
  const std::string out_path =
      options.output_path.empty() ? scratch.path("stdout") : options.output_path;
  const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int err = ::open(scratch.path("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0 || err < 0) _exit(126);
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  if (!options.working_dir.empty() && ::chdir(options.working_dir.c_str()) != 0) _exit(126);
  for (const std::string& entry : options.extra_env) ::putenv(const_cast<char*>(entry.c_str()));

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execve(program.c_str(), argv.data(), environ);
  _exit(127);
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
  TempDir scratch;
  write_file(scratch.path("stdin"), options.input.value_or(""));

  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) child(program, args, options, scratch);

  int wait_status = 0;
  while (::waitpid(pid, &wait_status, 0) < 0) {
  }
  ProcessResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  if (options.output_path.empty()) result.out = read_file(scratch.path("stdout"));
  result.err = read_file(scratch.path("stderr"));
  return result;
}

std::string find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

}  // namespace test_support
