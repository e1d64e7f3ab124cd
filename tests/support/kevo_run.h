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

// Copies a built program into a folder under its own file name (with .exe on
// Windows, where a program must have it) or under another base name, keeping
// the extension; returns the copy's full name.
inline std::string copy_program_into(const std::string& program, const std::string& folder,
                                     const std::string& base_name = {}) {
  const std::filesystem::path source = std::filesystem::absolute(program);
  const std::string file_name =
      base_name.empty() ? source.filename().string() : base_name + source.extension().string();
  std::string copy = folder + "/" + file_name;
  std::filesystem::copy_file(source, copy);
  return copy;
}

// A kevo of its own in a folder, without the built ralu beside it.
inline std::string copy_kevo_into(const std::string& folder) {
  return copy_program_into(KEVO_PATH, folder);
}

inline ProcessResult run_kevo(const TempDir& dir, const std::vector<std::string>& args,
                              ProcessOptions options = {}) {
  if (options.working_dir.empty()) options.working_dir = dir.root().string();
  return run_process(kevo_path(), args, options);
}

}  // namespace test_support
