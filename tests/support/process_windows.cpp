// run_process on Windows: CreateProcess with the same command line quoting as
// the platform layer's launch, standard handles redirected to files.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/windows/win32.h"
#include "tests/support/process.h"
#include "tests/support/system.h"
#include "tests/support/temp_dir.h"

namespace test_support {

namespace {

using platform::win32::Handle;

// What a POSIX shell reports for a program that cannot be run.
constexpr int status_not_started = 127;

std::string variable_name(const std::string& entry) {
  // Entries such as "=C:=C:\work" keep the current folder of each drive; their
  // name begins after the first '='.
  return entry.substr(0, entry.find('=', 1));
}

// This process's environment with the given NAME=value entries added or
// replacing those of the same name (names ignore case), as a CreateProcess
// environment block.
std::vector<char> environment_with(const std::vector<std::string>& extra) {
  std::vector<std::string> entries;
  char* block = ::GetEnvironmentStringsA();
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
    entries.emplace_back(entry);
  }
  ::FreeEnvironmentStringsA(block);

  for (const std::string& added : extra) {
    const std::string name = variable_name(added);
    std::erase_if(entries, [&](const std::string& entry) {
      return ::lstrcmpiA(variable_name(entry).c_str(), name.c_str()) == 0;
    });
    entries.push_back(added);
  }

  std::vector<char> environment;
  for (const std::string& entry : entries) {
    environment.insert(environment.end(), entry.begin(), entry.end());
    environment.push_back('\0');
  }
  environment.push_back('\0');
  return environment;
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options) {
  TempDir scratch;
  write_file(scratch.path("stdin"), options.input.value_or(""));
  ProcessResult result;
  {
    using platform::win32::open_inheritable;
    const Handle in = open_inheritable(scratch.path("stdin").c_str(), GENERIC_READ, OPEN_EXISTING);
    const std::string out_path =
        options.output_path.empty() ? scratch.path("stdout") : options.output_path;
    const Handle out = open_inheritable(out_path.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    const Handle err =
        open_inheritable(scratch.path("stderr").c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    if (!in.valid() || !out.valid() || !err.valid()) {
      throw std::runtime_error("cannot redirect the standard handles of " + program);
    }
    STARTUPINFOA startup = platform::win32::startup_with_handles(in.get(), out.get(), err.get());

    std::string line = platform::win32::command_line(program, args);
    std::vector<char> environment;
    if (!options.extra_env.empty()) environment = environment_with(options.extra_env);
    const char* working_dir = options.working_dir.empty() ? nullptr : options.working_dir.c_str();

    std::fflush(nullptr);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                          environment.empty() ? nullptr : environment.data(), working_dir, &startup,
                          &started)) {
      result.status = status_not_started;
      result.err = program + ": " + platform::win32::system_message(::GetLastError()) + "\n";
      return result;
    }
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);
    const std::optional<DWORD> code = platform::win32::wait_for_exit(process.get());
    // Exception statuses (0xC0000000 and up) mean the program did not exit normally.
    if (code && *code < 0xC0000000) result.status = static_cast<int>(*code);
  }
  if (options.output_path.empty()) {
    result.out = read_file(scratch.path("stdout"));
    if (!options.output_is_data) result.out = fold_line_ends(result.out);
  }
  result.err = fold_line_ends(read_file(scratch.path("stderr")));
  return result;
}

std::string find_program(const std::string& name) {
  const DWORD size = ::GetEnvironmentVariableA("PATH", nullptr, 0);
  if (size == 0) return "";
  std::string path(size, '\0');
  path.resize(::GetEnvironmentVariableA("PATH", path.data(), size));
  char found[MAX_PATH];
  const DWORD length =
      ::SearchPathA(path.c_str(), name.c_str(), ".exe", sizeof found, found, nullptr);
  return length > 0 && length < sizeof found ? std::string(found, length) : "";
}

}  // namespace test_support
