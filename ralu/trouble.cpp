#include "ralu/trouble.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace ralu {

namespace {

void memory_exhausted() { fail_memory_exhausted(); }

}  // namespace

std::string trouble_line(std::string_view subject, std::string_view reason) {
  std::string line(program_name);
  line += ": ";
  line += subject;
  line += ": ";
  line += reason;
  line += '\n';
  return line;
}

void fail_pair(std::string_view subject, std::string_view reason) {
  throw Trouble{trouble_line(subject, reason), false};
}

void fail_run(std::string_view subject, std::string_view reason) {
  throw Trouble{trouble_line(subject, reason), true};
}

void fail_usage(std::string_view what) {
  std::string line(program_name);
  line += ": ";
  line += what;
  line += "; try '";
  line += program_name;
  line += " --help'\n";
  throw Trouble{std::move(line), true};
}

void flush_standard_output(int earlier_error) {
  // errno is taken at once, before any other call can change it.
  const int flush_error = std::fflush(stdout) != 0 ? errno : 0;
  if (flush_error == 0 && earlier_error == 0 && std::ferror(stdout) == 0) return;
  // Nobody reads what follows: end as a POSIX ralu ends by SIGPIPE, without a
  // word, with the status of trouble since the output stopped short.
  if (platform::standard_output_pipe_closed()) std::_Exit(exit_trouble);
  const int error = earlier_error != 0 ? earlier_error : flush_error != 0 ? flush_error : EIO;
  // Said once: what standard output holds is broken anyway.
  std::clearerr(stdout);
  fail_run("standard output", std::strerror(error));
}

// Nothing may be allocated here. What standard output still buffers is
// dropped: the report is broken anyway.
void fail_memory_exhausted() {
  std::fputs("ralu: memory exhausted\n", stderr);
  std::_Exit(exit_trouble);
}

void end_quietly_when_memory_runs_out() { std::set_new_handler(memory_exhausted); }

}  // namespace ralu
