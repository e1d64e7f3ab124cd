// Runs a program the way a user would from a shell, without a shell: the
// arguments reach it byte for byte, standard input comes from a given text (or
// is empty), and standard output and standard error are captured whole.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct ProcessResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;
  std::string err;
};

struct ProcessOptions {
  std::string working_dir;             // empty: the test's own
  std::optional<std::string> input;    // nothing: standard input is empty
  std::vector<std::string> extra_env;  // NAME=value entries added to the environment
  std::string output_path;             // non-empty: standard output goes here, not captured
  bool output_is_data = false;         // standard output is kept as written: no CR LF folding
};

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const ProcessOptions& options = {});

// The full path of a program found along PATH, or "" when there is none.
std::string find_program(const std::string& name);

}  // namespace test_support
