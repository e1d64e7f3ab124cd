// A stand-in program that fails the way a troubled ralu may: it writes the
// start of a report to standard output and a message to standard error, then
// exits with status 2, or, when STAND_IN_CRASH is set in its environment,
// ends abruptly (killed by SIGKILL on POSIX, an access violation on Windows),
// as a crash would end it. With STAND_IN_WAIT set it says so on standard
// error with its process id ("failing_program: waiting 1234") and then waits
// until something ends it, as a long ralu run would. STAND_IN_STATUS=N makes
// it exit with N instead of 2 (-1 is 0xFFFFFFFF on Windows, 255 on POSIX).
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>

#include <csignal>
#endif

namespace {

constexpr int trouble_status = 2;

[[noreturn]] void crash() {
#ifdef _WIN32
  ::RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#else
  std::raise(SIGKILL);
#endif
  std::abort();  // not reached: neither can be caught
}

[[noreturn]] void wait_to_be_ended() {
#ifdef _WIN32
  std::fprintf(stderr, "failing_program: waiting %lu\n", ::GetCurrentProcessId());
  std::fflush(stderr);
  for (;;) ::Sleep(INFINITE);
#else
  std::fprintf(stderr, "failing_program: waiting %ld\n", static_cast<long>(::getpid()));
  std::fflush(stderr);
  for (;;) ::pause();
#endif
}

}  // namespace

int main() {
  std::printf("--- a partial report\n");
  // What was written reaches the file before the end, whichever end it is.
  std::fflush(stdout);
  std::fprintf(stderr, "failing_program: trouble\n");
  if (std::getenv("STAND_IN_CRASH") != nullptr) crash();
  if (std::getenv("STAND_IN_WAIT") != nullptr) wait_to_be_ended();
  if (const char* status = std::getenv("STAND_IN_STATUS"); status != nullptr) {
    return static_cast<int>(std::strtol(status, nullptr, 10));
  }
  return trouble_status;
}
