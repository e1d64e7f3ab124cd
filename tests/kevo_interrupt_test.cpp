// kevo interrupted while ralu writes a report: ralu ends too, its file goes,
// an old report stays byte for byte, and kevo ends as the signal ends it. The
// test starts kevo in a process group of its own, with a stand-in ralu that
// waits to be ended, and sends the signals once the stand-in says it runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/windows/win32.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#endif

namespace {

namespace fs = std::filesystem;
using test_support::names_in;
using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

#ifndef _WIN32

// kevo running in the background, its standard error on a pipe.
class RunningKevo {
 public:
  RunningKevo(const std::string& kevo, const std::vector<std::string>& args,
              const std::string& folder, const std::string& input,
              const std::vector<std::string>& environment) {
    write_file(folder + "/../stdin", input);
    int error_pipe[2];
    if (::pipe(error_pipe) != 0) throw std::runtime_error("no pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      ::setpgid(0, 0);  // a group of its own, as a terminal's foreground job has
      const int in = ::open((folder + "/../stdin").c_str(), O_RDONLY);
      const int out = ::open((folder + "/../stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (in < 0 || out < 0 || ::chdir(folder.c_str()) != 0) _exit(126);
      ::dup2(in, 0);
      ::dup2(out, 1);
      ::dup2(error_pipe[1], 2);
      ::close(error_pipe[0]);
      for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
      std::vector<char*> argv = {const_cast<char*>(kevo.c_str())};
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(kevo.c_str(), argv.data());
      _exit(127);
    }
    ::setpgid(pid_, pid_);  // also here, so that the group exists before any signal
    ::close(error_pipe[1]);
    error_fd_ = error_pipe[0];
  }
  ~RunningKevo() { ::close(error_fd_); }
  RunningKevo(const RunningKevo&) = delete;
  RunningKevo& operator=(const RunningKevo&) = delete;

  pid_t pid() const { return pid_; }

  // Reads standard error until it holds a whole line that begins with the
  // marker; the rest of that line, or nothing when standard error ended first.
  std::string read_line_after(const std::string& marker) {
    for (;;) {
      const std::size_t at = error_.find(marker);
      const std::size_t end = at == std::string::npos ? at : error_.find('\n', at);
      if (end != std::string::npos) {
        return error_.substr(at + marker.size(), end - at - marker.size());
      }
      if (!read_more()) return {};
    }
  }

  // All of standard error, once everything that held it has ended.
  const std::string& read_to_end() {
    while (read_more()) {
    }
    return error_;
  }

  // Waits for kevo to end: its wait status.
  int wait() const {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
    }
    return status;
  }

 private:
  bool read_more() {
    char buffer[512];
    const ssize_t count = ::read(error_fd_, buffer, sizeof buffer);
    if (count <= 0) return false;
    error_.append(buffer, static_cast<std::size_t>(count));
    return true;
  }

  pid_t pid_ = -1;
  int error_fd_ = -1;
  std::string error_;
};

struct Case {
  int signal;
  bool twice;     // a second one right after the first
  bool to_group;  // to kevo's whole process group, as a terminal sends Ctrl-C
  bool old_report;
};

std::string describe(const Case& c) {
  return std::string(strsignal(c.signal)) + (c.twice ? " twice" : "") +
         (c.to_group ? " to the group" : " to kevo") + (c.old_report ? ", old report" : "");
}

TEST(KevoInterrupted, RaluEndsItsFileGoesAndKevoEndsByTheSignal) {
  const std::vector<Case> cases = {
      {SIGINT, false, false, false}, {SIGINT, true, true, true},    {SIGINT, true, false, false},
      {SIGTERM, false, false, true}, {SIGHUP, false, false, false}, {SIGHUP, false, true, true},
  };
  const std::string old_report = "old report\nkept byte for byte\n";
  for (const Case& c : cases) {
    const std::string shown = describe(c);
    TempDir dir;
    fs::create_directory(dir.root() / "tools");
    fs::create_directory(dir.root() / "standin");
    fs::create_directory(dir.root() / "work");
    const std::string kevo = test_support::copy_kevo_into(dir.path("tools"));
    test_support::copy_program_into(FAILING_PROGRAM_PATH, dir.path("standin"), "ralu");
    write_file(dir.path("work/a.txt"), "one\ntwo\n");
    write_file(dir.path("work/b.txt"), "one\n2\n");
    if (c.old_report) write_file(dir.path("work/a.txt.dif"), old_report);

    RunningKevo running(kevo, {"-t", "a.txt", "b.txt"}, dir.path("work"), "y\n",
                        {"STAND_IN_WAIT=1",
                         test_support::path_variable({dir.path("standin"), "/usr/bin", "/bin"})});
    // Once the stand-in says it waits, its file is there; now the interrupt.
    const pid_t stand_in =
        static_cast<pid_t>(std::atol(running.read_line_after("failing_program: waiting ").c_str()));
    ASSERT_GT(stand_in, 0) << shown << ": " << running.read_to_end();
    const pid_t target = c.to_group ? -running.pid() : running.pid();
    ::kill(target, c.signal);
    if (c.twice) ::kill(target, c.signal);

    const int status = running.wait();
    // A kevo that did not wait for ralu leaves it running: end it here.
    const bool stand_in_left = ::kill(stand_in, 0) == 0;
    if (stand_in_left) ::kill(stand_in, SIGKILL);
    EXPECT_FALSE(stand_in_left) << shown;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << shown << ": " << status;
    const std::string& error = running.read_to_end();
    EXPECT_TRUE(error.ends_with("kevo: interrupted; no report written\n"))
        << shown << ": " << error;

    const std::vector<std::string> expected =
        c.old_report ? std::vector<std::string>{"a.txt", "a.txt.dif", "b.txt"}
                     : std::vector<std::string>{"a.txt", "b.txt"};
    EXPECT_EQ(names_in(dir.root() / "work"), expected) << shown;
    if (c.old_report) {
      EXPECT_EQ(read_file(dir.path("work/a.txt.dif")), old_report) << shown;
    }
  }
}

#else

using platform::win32::Handle;

// kevo -t in a process group of its own on this console, standard error on a
// pipe, with a stand-in ralu that says it waits and then waits to be ended;
// an old report stands at the report's name.
class WaitingHandOff {
 public:
  explicit WaitingHandOff(const TempDir& dir) {
    fs::create_directory(dir.root() / "tools");
    fs::create_directory(dir.root() / "standin");
    fs::create_directory(dir.root() / "work");
    const std::string kevo = test_support::copy_kevo_into(dir.path("tools"));
    test_support::copy_program_into(FAILING_PROGRAM_PATH, dir.path("standin"), "ralu");
    write_file(dir.path("work/a.txt"), "one\ntwo\n");
    write_file(dir.path("work/b.txt"), "one\n2\n");
    write_file(dir.path("work/a.txt.dif"), old_report);
    write_file(dir.path("stdin"), "y\n");
    // kevo takes its environment from this process: the stand-in's folder as
    // PATH, and the stand-in's wish to wait, for as long as kevo starts.
    std::string saved_path(32767, '\0');
    saved_path.resize(::GetEnvironmentVariableA("PATH", saved_path.data(), 32767));
    ::SetEnvironmentVariableA("STAND_IN_WAIT", "1");
    const std::string path = test_support::path_variable({dir.path("standin")}).substr(5);
    ::SetEnvironmentVariableA("PATH", path.c_str());

    // A console for the event to travel on; kevo shares this one. Where this
    // process has one already, AllocConsole changes nothing.
    ::AllocConsole();
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!::CreatePipe(&read_end, &write_end, &inheritable, 0)) return;
    error_read_ = Handle(read_end);
    Handle error_write(write_end);
    ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    const Handle in =
        platform::win32::open_inheritable(dir.path("stdin").c_str(), GENERIC_READ, OPEN_EXISTING);
    const Handle out =
        platform::win32::open_inheritable(dir.path("stdout").c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup = platform::win32::startup_with_handles(in.get(), out.get(), write_end);
    std::string line = platform::win32::command_line(kevo, {"-t", "a.txt", "b.txt"});
    PROCESS_INFORMATION started{};
    const std::string work = dir.path("work");
    const bool created =
        ::CreateProcessA(kevo.c_str(), line.data(), nullptr, nullptr, TRUE,
                         CREATE_NEW_PROCESS_GROUP, nullptr, work.c_str(), &startup, &started);
    const DWORD start_error = created ? ERROR_SUCCESS : ::GetLastError();
    ::SetEnvironmentVariableA("STAND_IN_WAIT", nullptr);
    ::SetEnvironmentVariableA("PATH", saved_path.c_str());
    if (!created) {
      why_not_ = platform::win32::system_message(start_error);
      return;
    }
    ::CloseHandle(started.hThread);
    kevo_id_ = started.dwProcessId;
    kevo_ = Handle(started.hProcess);
    error_write.reset();
    find_stand_in();
  }
  ~WaitingHandOff() {
    if (stand_in_.valid()) ::TerminateProcess(stand_in_.get(), 1);
    if (kevo_.valid()) {
      ::TerminateProcess(kevo_.get(), 1);
      ::WaitForSingleObject(kevo_.get(), INFINITE);
    }
  }
  WaitingHandOff(const WaitingHandOff&) = delete;
  WaitingHandOff& operator=(const WaitingHandOff&) = delete;

  // Empty once the stand-in waits; else why it does not.
  const std::string& why_not() const { return why_not_; }
  HANDLE kevo() const { return kevo_.get(); }
  DWORD kevo_id() const { return kevo_id_; }
  HANDLE stand_in() const { return stand_in_.get(); }

  // Waits for kevo to end; its exit code.
  DWORD kevo_exit_code() const {
    ::WaitForSingleObject(kevo_.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(kevo_.get(), &code);
    return code;
  }

  const std::string old_report = "old report\nkept byte for byte\n";

 private:
  // Reads kevo's standard error up to the stand-in's line with its id.
  void find_stand_in() {
    std::string error;
    const std::string marker = "failing_program: waiting ";
    while (error.find(marker) == std::string::npos ||
           error.find('\n', error.find(marker)) == std::string::npos) {
      char buffer[512];
      DWORD count = 0;
      if (!::ReadFile(error_read_.get(), buffer, sizeof buffer, &count, nullptr) || count == 0) {
        why_not_ = "the stand-in did not say it waits: " + error;
        return;
      }
      error.append(buffer, count);
    }
    const auto id =
        static_cast<DWORD>(std::stoul(error.substr(error.find(marker) + marker.size())));
    stand_in_ = Handle(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
    if (!stand_in_.valid()) why_not_ = "the stand-in cannot be opened";
  }

  Handle error_read_;
  Handle kevo_;
  DWORD kevo_id_ = 0;
  Handle stand_in_;
  std::string why_not_;
};

// Ctrl-Break sent to kevo's group alone.
TEST(KevoInterrupted, RaluEndsItsFileGoesAndKevoEndsByTheConsoleEvent) {
  TempDir dir;
  WaitingHandOff run(dir);
  ASSERT_EQ(run.why_not(), "");
  if (!::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, run.kevo_id())) {
    GTEST_SKIP() << "no console to send Ctrl-Break on: "
                 << platform::win32::system_message(::GetLastError());
  }
  EXPECT_EQ(run.kevo_exit_code(), static_cast<DWORD>(STATUS_CONTROL_C_EXIT));
  EXPECT_EQ(::WaitForSingleObject(run.stand_in(), 0), WAIT_OBJECT_0);
  EXPECT_EQ(names_in(dir.root() / "work"),
            (std::vector<std::string>{"a.txt", "a.txt.dif", "b.txt"}));
  EXPECT_EQ(read_file(dir.path("work/a.txt.dif")), run.old_report);
}

// kevo ended from outside (taskkill /F) cannot end ralu itself; the job it
// put ralu in does, as its last handle closes with kevo. The wait for the
// stand-in is bounded only so that a kevo without the job fails the test
// rather than hanging it: the system ends the stand-in as kevo ends.
TEST(KevoInterrupted, RaluEndsWithAKevoEndedFromOutside) {
  constexpr DWORD hang_guard_milliseconds = 60000;
  TempDir dir;
  WaitingHandOff run(dir);
  ASSERT_EQ(run.why_not(), "");
  ASSERT_TRUE(::TerminateProcess(run.kevo(), 1));
  EXPECT_EQ(run.kevo_exit_code(), 1U);
  EXPECT_EQ(::WaitForSingleObject(run.stand_in(), hang_guard_milliseconds), WAIT_OBJECT_0);
  // The old report stands; ralu's file, which nobody was left to remove, aside.
  EXPECT_EQ(read_file(dir.path("work/a.txt.dif")), run.old_report);
}

#endif

}  // namespace
