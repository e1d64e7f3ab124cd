// Running the built kevo in a scratch folder, for the end-to-end tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace test_support {

// The built kevo by a full name that still holds when the child starts in
// another folder (under Wine the build path is taken on the current drive).
inline const std::string& kevo_path() {
  static const std::string path = std::filesystem::absolute(KEVO_PATH).make_preferred().string();
  return path;
}

inline ProcessResult run_kevo(const TempDir& dir, const std::vector<std::string>& args,
                              ProcessOptions options = {}) {
  if (options.working_dir.empty()) options.working_dir = dir.root().string();
  return run_process(kevo_path(), args, options);
}

}  // namespace test_support
