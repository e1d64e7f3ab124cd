#include "ralu/trouble.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "common/common.h"

namespace ralu {

namespace {

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
  common::errmsg("%s: %s: %s\n", common::cmd_name, subject, reason);
  std::exit(exit_trouble);
}

void fail_pair(const char* subject, const char* reason) {
  common::errmsg("%s: %s: %s\n", common::cmd_name, subject, reason);
  throw PairTrouble();
}

void fail_usage(const std::string& what) {
  common::errmsg("%s: %s; try '%s --help'\n", common::cmd_name, what.c_str(), common::cmd_name);
  std::exit(exit_trouble);
}

void end_quietly_when_memory_runs_out() { std::set_new_handler(memory_exhausted); }

}  // namespace ralu
