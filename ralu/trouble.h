// How ralu ends on trouble: one line on standard error, status 2.
#pragma once

#include <string>

namespace ralu {

inline constexpr int exit_same = 0;
inline constexpr int exit_different = 1;
inline constexpr int exit_trouble = 2;

// "ralu: SUBJECT: REASON", and the end (but see FailuresThrown).
[[noreturn]] void fail(const char* subject, const char* reason);

// Trouble with one pair of inputs, such as a file that cannot be opened: it
// is said on standard error, and the run goes on with the other pairs,
// unless the trouble ends the run.
struct PairTrouble {
  std::string message;  // "ralu: SUBJECT: REASON\n"
  bool ends_run = false;
};

// Throws PairTrouble with "ralu: SUBJECT: REASON".
[[noreturn]] void fail_pair(const char* subject, const char* reason);

// While one stands, on its thread, `fail` throws PairTrouble that ends the
// run rather than ending the process itself: a thread that compares a pair
// ahead of the report leaves it to the reporting thread to say the trouble
// where it falls, and to end the run then.
class FailuresThrown {
 public:
  FailuresThrown();
  ~FailuresThrown();
  FailuresThrown(const FailuresThrown&) = delete;
  FailuresThrown& operator=(const FailuresThrown&) = delete;

 private:
  bool before_;
};

// Says the trouble on standard error, after what standard output holds; ends
// the run when the trouble does.
void say_pair_trouble(const PairTrouble& trouble);

// A mistake on the command line: one line, with the way to the help.
[[noreturn]] void fail_usage(const std::string& what);

// "ralu: memory exhausted", and the end.
[[noreturn]] void fail_memory_exhausted();

// From here on, running out of memory anywhere ends the process with
// "ralu: memory exhausted" and status 2, never with an abort.
void end_quietly_when_memory_runs_out();

}  // namespace ralu
