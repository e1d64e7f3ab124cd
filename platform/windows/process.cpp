// Finding and starting programs on Windows: CreateProcess with a quoted
// command line, never a command interpreter.
#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/platform.h"
#include "platform/windows/child_end.h"
#include "platform/windows/kill_on_close_job.h"
#include "platform/windows/path_separators.h"
#include "platform/windows/staged_file.h"
#include "platform/windows/win32.h"

namespace platform {

namespace {

using win32::Handle;

bool is_regular_file(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The folder of the running executable, or empty when the system won't say.
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
  const std::size_t separator = win32::last_separator(path);
  if (separator == std::string::npos) return {};
  return path.substr(0, separator);
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

// The system's words for the error; an insert in them ("%1 is not a valid
// Win32 application") names the subject.
RunResult failure(RunResult::Outcome outcome, DWORD error, const std::string& subject) {
  return RunResult{outcome, -1, win32::system_message(error, subject)};
}

// Console control events are only noted by the handler, which the system
// runs on a thread of its own, and acted on by the waiting loop. The lock
// keeps an event from coming between the loop's last look and publishing:
// once one was noted, nothing is published.
SRWLOCK interrupt_lock = SRWLOCK_INIT;
DWORD noted_event = 0;  // the event, plus one; 0 for none. Guarded by interrupt_lock
bool watching = false;  // guarded by interrupt_lock

// Set by the handler to wake the waiting loop. Made once and never closed, as
// the handler may still run while a watch ends.
HANDLE interrupt_signal() {
  static const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return event;
}

// The console window closing ends the process as soon as the handler
// returns, so the handler gives the loop this long to end the program and
// delete the file first; the system allows a few seconds more.
constexpr DWORD close_grace_milliseconds = 4000;

BOOL WINAPI note_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  ::AcquireSRWLockExclusive(&interrupt_lock);
  const bool noted = watching;
  if (noted) noted_event = event + 1;
  ::ReleaseSRWLockExclusive(&interrupt_lock);
  if (!noted) return FALSE;  // the run is over: the system's own handling ends the process
  ::SetEvent(interrupt_signal());
  if (event == CTRL_CLOSE_EVENT) ::Sleep(close_grace_milliseconds);
  return TRUE;
}

// Notes console control events for as long as it lives.
class InterruptWatch {
 public:
  InterruptWatch() {
    ::ResetEvent(interrupt_signal());
    ::AcquireSRWLockExclusive(&interrupt_lock);
    noted_event = 0;
    watching = true;
    ::ReleaseSRWLockExclusive(&interrupt_lock);
    ::SetConsoleCtrlHandler(note_console_event, TRUE);
  }
  ~InterruptWatch() {
    ::SetConsoleCtrlHandler(note_console_event, FALSE);
    ::AcquireSRWLockExclusive(&interrupt_lock);
    watching = false;
    ::ReleaseSRWLockExclusive(&interrupt_lock);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // The event noted so far, plus one, or 0.
  static DWORD noted() {
    ::AcquireSRWLockShared(&interrupt_lock);
    const DWORD event = noted_event;
    ::ReleaseSRWLockShared(&interrupt_lock);
    return event;
  }

  // Runs publish unless an event was noted, with none let in meanwhile.
  template <typename Publish>
  static bool publish_unless_noted(Publish publish) {
    ::AcquireSRWLockExclusive(&interrupt_lock);
    const bool go = noted_event == 0;
    if (go) publish();
    ::ReleaseSRWLockExclusive(&interrupt_lock);
    return go;
  }
};

// Waits for the process to end, or for a console event; then ends the
// process and waits for that. Its exit code, or nothing when a wait failed.
std::optional<DWORD> wait_unless_interrupted(HANDLE process) {
  const HANDLE waited[] = {process, interrupt_signal()};
  const DWORD woken = ::WaitForMultipleObjects(2, waited, FALSE, INFINITE);
  if (woken == WAIT_OBJECT_0 + 1) {
    ::TerminateProcess(process, STATUS_CONTROL_C_EXIT);
  } else if (woken != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  return win32::wait_for_exit(process);
}

// Starts the program with standard output going to output and this
// process's standard input and standard error, inside the job. It starts
// suspended and runs once it is in the job, so that no part of its run lies
// outside. Returns ERROR_SUCCESS and the process handle, or the error that
// kept it from starting.
DWORD start_with_output(const Program& program, const std::vector<std::string>& arguments,
                        HANDLE output, const win32::KillOnCloseJob& job, Handle& process) {
  const Handle input = win32::inheritable_standard_handle(STD_INPUT_HANDLE);
  const Handle error = win32::inheritable_standard_handle(STD_ERROR_HANDLE);
  STARTUPINFOA startup = win32::startup_with_handles(input.get(), output, error.get());
  std::string line = win32::command_line(program.path, arguments);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(program.path.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &started)) {
    return ::GetLastError();
  }
  job.adopt(started.hProcess);
  ::ResumeThread(started.hThread);
  ::CloseHandle(started.hThread);
  process = Handle(started.hProcess);
  return ERROR_SUCCESS;
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

RunResult run_with_output_to(const Program& program, const std::vector<std::string>& arguments,
                             const char* output_name, int highest_success_status) {
  if (program.path.empty()) return RunResult{RunResult::Outcome::not_started, -1, "not found"};

  // Watching before the output file exists, so that no event can leave it
  // behind.
  const InterruptWatch watch;
  win32::StagedFile output(output_name);
  if (!output.created()) {
    return failure(RunResult::Outcome::output_not_written, output.error(), output_name);
  }

  // Whatever ends this process from here on ends the program too.
  const win32::KillOnCloseJob job;
  Handle process;
  if (const DWORD error = start_with_output(program, arguments, output.handle(), job, process);
      error != ERROR_SUCCESS) {
    return failure(RunResult::Outcome::not_started, error, program.path);
  }

  const std::optional<DWORD> code = wait_unless_interrupted(process.get());
  const auto interrupted = [&] {
    output.discard();
    const DWORD noted = InterruptWatch::noted();
    return RunResult{RunResult::Outcome::interrupted,
                     static_cast<int>(noted != 0 ? noted - 1 : CTRL_C_EVENT),
                     {}};
  };
  if (!code) {
    if (InterruptWatch::noted() != 0) return interrupted();
    return RunResult{RunResult::Outcome::abnormal_end, -1,
                     "cannot be waited for: " + win32::system_message(::GetLastError())};
  }
  // Ctrl-C and Ctrl-Break reach every program of the console at once, so the
  // program may be seen to end by one before the handler has noted it here.
  switch (win32::classify_end(*code, InterruptWatch::noted() != 0,
                              static_cast<DWORD>(highest_success_status))) {
    case win32::ChildEnd::interrupted:
      return interrupted();
    case win32::ChildEnd::exception:
      return RunResult{RunResult::Outcome::abnormal_end, -1, win32::describe_exception_end(*code)};
    case win32::ChildEnd::failure_status:
      return RunResult{RunResult::Outcome::failed, static_cast<int>(*code), {}};
    case win32::ChildEnd::success:
      break;
  }
  DWORD error = ERROR_SUCCESS;
  if (!InterruptWatch::publish_unless_noted([&] { error = output.publish(); })) {
    return interrupted();
  }
  if (error != ERROR_SUCCESS) {
    return failure(RunResult::Outcome::output_not_written, error, output_name);
  }
  return RunResult{RunResult::Outcome::written, static_cast<int>(*code), {}};
}

[[noreturn]] void end_as_interrupted(int) { ::ExitProcess(STATUS_CONTROL_C_EXIT); }

}  // namespace platform
