// How ralu ends on trouble: one line on standard error, status 2.
#pragma once

#include <string>

namespace ralu {

inline constexpr int exit_same = 0;
inline constexpr int exit_different = 1;
inline constexpr int exit_trouble = 2;

// "ralu: SUBJECT: REASON", and the end.
[[noreturn]] void fail(const char* subject, const char* reason);

// Trouble with one pair of inputs, such as a file that cannot be opened: it
// is said on standard error, and the run goes on with the other pairs.
struct PairTrouble {};

// "ralu: SUBJECT: REASON", then PairTrouble is thrown.
[[noreturn]] void fail_pair(const char* subject, const char* reason);

// A mistake on the command line: one line, with the way to the help.
[[noreturn]] void fail_usage(const std::string& what);

// "ralu: memory exhausted", and the end.
[[noreturn]] void fail_memory_exhausted();

// From here on, running out of memory anywhere ends the process with
// "ralu: memory exhausted" and status 2, never with an abort.
void end_quietly_when_memory_runs_out();

}  // namespace ralu
