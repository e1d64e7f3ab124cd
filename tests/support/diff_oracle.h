// ralu against the installed GNU diff: each case is a command line over small
// files made for it, run by both programs; standard output and the exit status
// must be the same byte for byte. Standard error is compared where a case
// asks for it, the program names aside: most of ralu's words for mistakes on
// the command line are its own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ralu_run.h"
#include "tests/support/system.h"

namespace test_support {

struct OracleFile {
  std::string name;
  std::string bytes;
};

struct OracleCase {
  std::vector<std::string> args;
  std::optional<std::string> input = std::nullopt;  // standard input, when a name is "-"
  bool same_errors = false;                         // standard error too, the program's name aside
};

// Text with the program's name that starts a line read as "PROGRAM".
inline std::string unnamed(std::string text, const std::string& name) {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    if (at == 0 || text[at - 1] == '\n') text.replace(at, name.size(), "PROGRAM");
  }
  return text;
}

// The diff to compare with, or an empty name (and the reason in `why`) when
// there is none here.
inline std::string gnu_diff(std::string& why) {
#ifdef _WIN32
  why = "GNU diff is a POSIX program; the comparison runs on the POSIX build";
  return {};
#else
  std::string diff = find_program("diff");
  if (diff.empty()) {
    why = "diff is not installed";
  } else if (run_process(diff, {"--version"}).out.find("GNU diffutils") == std::string::npos) {
    why = "the diff here is not GNU diff";
    return {};
  }
  return diff;
#endif
}

inline std::string shown_args(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += " [" + arg + "]";
  return text;
}

// Writes the files into a scratch folder (with a folder "sub" beside them),
// runs every case there under both programs and expects the same output and
// status.
inline void expect_same_as_gnu_diff(const std::string& diff, const std::vector<OracleFile>& files,
                                    const std::vector<OracleCase>& cases) {
  TempDir dir;
  std::filesystem::create_directory(dir.root() / "sub");
  for (const OracleFile& file : files) {
    write_file(dir.path(file.name), file.bytes);
    set_modification_time(dir.path(file.name), 1000000000, 123456789);
  }
  for (const OracleCase& c : cases) {
    ProcessOptions options;
    options.working_dir = dir.root().string();
    options.extra_env = {"TZ=UTC0", "LC_ALL=C"};
    options.input = c.input;
    options.output_is_data = true;
    const ProcessResult expected = run_process(diff, c.args, options);
    const ProcessResult actual = run_ralu(dir, c.args, options);
    EXPECT_EQ(actual.status, expected.status) << shown_args(c.args) << "\n" << actual.err;
    EXPECT_EQ(actual.out, expected.out) << shown_args(c.args);
    if (c.same_errors) {
      EXPECT_EQ(unnamed(actual.err, "ralu"), unnamed(expected.err, diff)) << shown_args(c.args);
    }
  }
}

}  // namespace test_support
