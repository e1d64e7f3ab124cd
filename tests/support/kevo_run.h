// Running the built kevo in a scratch folder, for the end-to-end tests.
#pragma once

#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace test_support {

inline ProcessResult run_kevo(const TempDir& dir, const std::vector<std::string>& args,
                              ProcessOptions options = {}) {
  if (options.working_dir.empty()) options.working_dir = dir.root().string();
  return run_process(KEVO_PATH, args, options);
}

}  // namespace test_support
