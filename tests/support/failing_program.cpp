// A stand-in program that fails the way a troubled ralu may: it writes the
// start of a report to standard output and a message to standard error, then
// exits with status 2, or, when STAND_IN_CRASH is set in its environment,
// ends abruptly (killed by SIGKILL on POSIX, an access violation on Windows),
// as a crash would end it.
#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
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

}  // namespace

int main() {
  std::printf("--- a partial report\n");
  // What was written reaches the file before the end, whichever end it is.
  std::fflush(stdout);
  std::fprintf(stderr, "failing_program: trouble\n");
  if (std::getenv("STAND_IN_CRASH") != nullptr) crash();
  return trouble_status;
}
