#include "ralu/trouble.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "common/common.h"

namespace ralu {

namespace {

thread_local bool failures_thrown = false;

std::string trouble_line(const char* subject, const char* reason) {
  std::string line = common::cmd_name;
  line += ": ";
  line += subject;
  line += ": ";
  line += reason;
  line += '\n';
  return line;
}

// Called by every allocation that finds no memory.
void memory_exhausted() { fail_memory_exhausted(); }

}  // namespace

// Nothing may be allocated here. What standard output still buffers is
// dropped: the report is broken anyway.
void fail_memory_exhausted() {
  std::fputs("ralu: memory exhausted\n", stderr);
  std::_Exit(exit_trouble);
}

void fail(const char* subject, const char* reason) {
  if (failures_thrown) throw PairTrouble{trouble_line(subject, reason), true};
  common::errmsg("%s: %s: %s\n", common::cmd_name, subject, reason);
  std::exit(exit_trouble);
}

void fail_pair(const char* subject, const char* reason) {
  throw PairTrouble{trouble_line(subject, reason)};
}

FailuresThrown::FailuresThrown() : before_(failures_thrown) { failures_thrown = true; }

FailuresThrown::~FailuresThrown() { failures_thrown = before_; }

void say_pair_trouble(const PairTrouble& trouble) {
  common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
  // Written whole: a path may be longer than errmsg composes.
  std::fwrite(trouble.message.data(), 1, trouble.message.size(), stderr);
  if (trouble.ends_run) std::exit(exit_trouble);
}

void fail_usage(const std::string& what) {
  common::errmsg("%s: %s; try '%s --help'\n", common::cmd_name, what.c_str(), common::cmd_name);
  std::exit(exit_trouble);
}

void end_quietly_when_memory_runs_out() { std::set_new_handler(memory_exhausted); }

}  // namespace ralu
