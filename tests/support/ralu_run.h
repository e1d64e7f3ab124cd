// Running the built ralu in a scratch folder, for the end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace test_support {

inline ProcessResult run_ralu(const TempDir& dir, const std::vector<std::string>& args,
                              ProcessOptions options = {}) {
  if (options.working_dir.empty()) options.working_dir = dir.root().string();
  // A fixed zone, so that header times read the same wherever the tests run.
  // Entries given by the caller come later and win.
  options.extra_env.insert(options.extra_env.begin(), "TZ=UTC0");
  // The report is data: its line ends are its own, also on Windows.
  options.output_is_data = true;
  static const std::string ralu = std::filesystem::absolute(RALU_PATH).make_preferred().string();
  return run_process(ralu, args, options);
}

#ifndef _WIN32
// The same under an address-space limit of `kib` KiB, as a shell's
// "ulimit -v" sets it, and with no core written if ralu aborts.
inline ProcessResult run_ralu_limited(const TempDir& dir, int kib,
                                      const std::vector<std::string>& args) {
  ProcessOptions options;
  options.working_dir = dir.root().string();
  options.extra_env.push_back("TZ=UTC0");
  options.output_is_data = true;
  std::vector<std::string> shell_args = {
      "-c", "ulimit -c 0; ulimit -v " + std::to_string(kib) + " && exec \"$0\" \"$@\"",
      std::filesystem::absolute(RALU_PATH).string()};
  shell_args.insert(shell_args.end(), args.begin(), args.end());
  return run_process("/bin/sh", shell_args, options);
}
#endif

}  // namespace test_support
