// How ralu meets trouble: as one exception type, `Trouble`, that carries the
// line for standard error and says whether the run ends with it. It is caught
// in two places only: the run of one pair, which says it and goes on with the
// next pair or stops as diff does, and main. Nothing else ends the process,
// but running out of memory.
#pragma once

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ralu {

// The word that starts every message.
inline constexpr std::string_view program_name = "ralu";

inline constexpr int exit_same = 0;
inline constexpr int exit_different = 1;
inline constexpr int exit_trouble = 2;

struct Trouble {
  std::string message;  // the whole line for standard error, "ralu: SUBJECT: REASON\n"
  // Whether the run stops here (a file that fails while it is read, a
  // mistake on the command line) or goes on with the other pairs (a file
  // that cannot be opened).
  bool ends_run = false;
};

// "ralu: SUBJECT: REASON\n".
std::string trouble_line(std::string_view subject, std::string_view reason);

// Trouble with one pair, such as a file that is not there.
[[noreturn]] void fail_pair(std::string_view subject, std::string_view reason);

// Trouble that ends the run, such as a file that cannot be read.
[[noreturn]] void fail_run(std::string_view subject, std::string_view reason);

// A mistake on the command line: one line, with the way to the help.
[[noreturn]] void fail_usage(std::string_view what);

// Writes what standard output still buffers; trouble that ends the run when
// it, or an earlier write (whose errno is `earlier_error`), failed.
void flush_standard_output(int earlier_error = 0);

// "ralu: memory exhausted", and the end of the process, from any thread.
[[noreturn]] void fail_memory_exhausted();

// From here on, an allocation that finds no memory ends the process with
// "ralu: memory exhausted" and status 2, never with an abort.
void end_quietly_when_memory_runs_out();

// Runs `work` and gives what it returns; memory that runs out on the way, in
// a size beyond what a container can hold too, ends the process as above.
// Every thread's work runs inside it.
template <class Work>
auto memory_exhaustion_ends_process(Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    fail_memory_exhausted();
  } catch (const std::length_error&) {
    fail_memory_exhausted();
  }
}

}  // namespace ralu
