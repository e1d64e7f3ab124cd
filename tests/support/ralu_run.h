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

}  // namespace test_support
