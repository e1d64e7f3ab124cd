// Finding and starting programs on Windows: CreateProcess with a quoted
// command line, never a command interpreter.
#include <windows.h>

#include <cstdio>
#include <string_view>

#include "platform/platform.h"
#include "platform/windows/win32.h"

namespace platform {

namespace {

using win32::Handle;

// An exit code in this range is an exception status: the program crashed.
constexpr DWORD first_exception_status = 0xC0000000;

bool is_regular_file(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the running executable, or empty when the system won't say.
// CharNextA steps over double-byte characters, whose second byte may be 0x5C.
std::string own_folder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const char* last_separator = nullptr;
  for (const char* at = path.c_str(); *at != '\0'; at = ::CharNextA(at)) {
    if (*at == '\\' || *at == '/') last_separator = at;
  }
  if (last_separator == nullptr) return {};
  return path.substr(0, static_cast<std::size_t>(last_separator - path.c_str()));
}

std::string environment_variable(const char* name) {
  const DWORD size = ::GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  const DWORD length = ::GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

// Only PATH is searched, not the current folder nor the system's own folders
// that SearchPath would otherwise try first.
std::string search_path(const std::string& file) {
  const std::string path_variable = environment_variable("PATH");
  if (path_variable.empty()) return {};
  std::string found(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::SearchPathA(path_variable.c_str(), file.c_str(), nullptr,
                                       static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0) return {};
    if (length < found.size()) {
      found.resize(length);
      return is_regular_file(found) ? found : std::string();
    }
    found.resize(length);
  }
}

// Programs are .exe files; a .bat or .cmd would need the command interpreter.
std::string executable_file_name(std::string_view name) {
  std::string file(name);
  if (file.size() < 4 || ::lstrcmpiA(file.c_str() + file.size() - 4, ".exe") != 0) file += ".exe";
  return file;
}

RunResult failure(RunResult::Outcome outcome, DWORD error) {
  return RunResult{outcome, -1, win32::system_message(error)};
}

// Empties the file behind the handle.
bool truncate(HANDLE file) {
  LARGE_INTEGER start{};
  return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

}  // namespace

Program find_program(const char* name) {
  const std::string file = executable_file_name(name);
  const std::string folder = own_folder();
  if (!folder.empty()) {
    const std::string beside = folder + "\\" + file;
    if (is_regular_file(beside)) return Program{beside};
  }
  return Program{search_path(file)};
}

// The report is opened without being emptied and the program is created
// suspended: only once it exists is the report emptied and the program let
// run, so a program that cannot start leaves an existing report untouched
// and creates none.
RunResult run_with_output_to(const Program& program, const std::vector<std::string>& arguments,
                             const char* output_name) {
  if (program.path.empty()) return RunResult{RunResult::Outcome::not_started, -1, "not found"};

  Handle output = win32::open_inheritable(output_name, GENERIC_WRITE, OPEN_ALWAYS);
  const DWORD open_error = ::GetLastError();
  if (!output.valid()) return failure(RunResult::Outcome::output_not_opened, open_error);
  const bool output_existed = open_error == ERROR_ALREADY_EXISTS;

  const Handle input = win32::inheritable_standard_handle(STD_INPUT_HANDLE);
  const Handle error = win32::inheritable_standard_handle(STD_ERROR_HANDLE);
  STARTUPINFOA startup = win32::startup_with_handles(input.get(), output.get(), error.get());

  std::string line = win32::command_line(program.path, arguments);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(program.path.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
    const DWORD start_error = ::GetLastError();
    output.reset();
    if (!output_existed) ::DeleteFileA(output_name);
    return failure(RunResult::Outcome::not_started, start_error);
  }
  const Handle process(started.hProcess);
  const Handle thread(started.hThread);

  if (!truncate(output.get())) {
    const DWORD truncate_error = ::GetLastError();
    ::TerminateProcess(process.get(), 1);
    return failure(RunResult::Outcome::output_not_opened, truncate_error);
  }
  output.reset();  // the child holds its own handle of the report
  ::ResumeThread(thread.get());

  const std::optional<DWORD> code = win32::wait_for_exit(process.get());
  if (!code) return failure(RunResult::Outcome::abnormal_end, ::GetLastError());
  if (*code >= first_exception_status) {
    char reason[32];
    std::snprintf(reason, sizeof reason, "exception 0x%08lX", static_cast<unsigned long>(*code));
    return RunResult{RunResult::Outcome::abnormal_end, -1, reason};
  }
  return RunResult{RunResult::Outcome::exited, static_cast<int>(*code), {}};
}

}  // namespace platform
