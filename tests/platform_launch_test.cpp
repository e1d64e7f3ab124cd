// The platform layer's launch: a program found beside the running executable,
// started without a command interpreter, its arguments arriving byte for byte
// (the command line quoting on Windows), its exit status returned, and its
// output taking the file's name only after a success status, with no other
// file left behind on any path.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/system.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::file_exists;
using test_support::names_in;
using test_support::read_file;
using test_support::write_file;
using Outcome = platform::RunResult::Outcome;
using Names = std::vector<std::string>;

// Every exit status counts as a success.
constexpr int any_status = 255;

// What show_args writes for these arguments.
std::string shown(const std::vector<std::string>& args) {
  std::string lines = "argc=" + std::to_string(args.size()) + "\n";
  for (const std::string& arg : args) lines += "[" + arg + "]\n";
  return lines;
}

class PlatformLaunch : public testing::Test {
 protected:
  platform::RunResult show(const std::vector<std::string>& args) {
    return platform::run_with_output_to(show_args, args, report.c_str(), any_status);
  }

  void expect_arrive_whole(const std::vector<std::string>& args) {
    std::string listed;
    for (const auto& arg : args) listed += "[" + arg + "]";
    const platform::RunResult result = show(args);
    ASSERT_EQ(result.outcome, Outcome::written) << listed << result.reason;
    EXPECT_EQ(result.status, 0) << listed;
    EXPECT_EQ(test_support::fold_line_ends(read_file(report)), shown(args)) << listed;
  }

  test_support::TempDir dir;
  const std::string report = dir.path("report");
  const platform::Program show_args = platform::find_program("show_args");
};

TEST_F(PlatformLaunch, FindsAProgramBesideTheRunningExecutable) {
  // The build puts show_args beside the test program, in no folder of PATH.
  ASSERT_FALSE(show_args.path.empty());
  EXPECT_TRUE(file_exists(show_args.path));
}

TEST_F(PlatformLaunch, ArgumentsArriveByteForByte) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"plain", "two"},
      {"with blank", " leading", "trailing ", "two  blanks", "tab\there", "vertical\vtab",
       "new\nline"},
      {"", "", "x", ""},
      {"quote\"inside", "\"", "\"\"", "\"quoted\"", "ends in quote\""},
      {"\\", "\\\\", "trailing\\", "trailing blank then backslash \\", "out\\"},
      {"dir\\ name", "back\\\\slashes", "back\\\"quote", "\\\\\"", "\\\" x \\"},
      {"C:\\with blank\\", "a\\b c\\\\", "\\\\server\\share\\x y\\"},
      {"x;rm -rf ~", "$(id)`id`|&<>", "%PATH%^!&&", "a & b", "100%s%d%n"},
  };
  for (const auto& args : cases) expect_arrive_whole(args);
}

TEST_F(PlatformLaunch, ShiftJisArgumentsArriveWhole) {
  // 0x95 0x5C is one character whose second byte is a backslash: it must not
  // be taken for one next to a blank, a quote or the end of an argument.
  if (const auto why = test_support::why_shift_jis_names_cannot_work(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  expect_arrive_whole({"\x95\x5c", "a \x95\x5c", "\x95\x5c b", "\x95\x5c\\", "sub\\\x95\x5c.txt"});
  expect_arrive_whole({"\x95\x5c \x95\x5c", "\x83\x65\x83\x4c \x83\x58\x83\x67\x95\x5c"});
}

TEST_F(PlatformLaunch, OutputReplacesAnExistingFile) {
  write_file(report, std::string(10000, 'x'));
  expect_arrive_whole({"short"});
}

TEST_F(PlatformLaunch, ProgramNotFoundStartsNothingAndTouchesNoFile) {
  const platform::Program missing = platform::find_program("no-such-program-anywhere");
  EXPECT_TRUE(missing.path.empty());
  EXPECT_EQ(platform::run_with_output_to(missing, {"x"}, report.c_str(), any_status).outcome,
            Outcome::not_started);
  EXPECT_TRUE(names_in(dir.root()).empty());

  write_file(report, "kept\n");
  EXPECT_EQ(platform::run_with_output_to(missing, {"x"}, report.c_str(), any_status).outcome,
            Outcome::not_started);
  EXPECT_EQ(read_file(report), "kept\n");
}

TEST_F(PlatformLaunch, ProgramThatCannotStartTouchesNoFile) {
  // Found and executable, but no program the system can start.
  const std::string broken = dir.path("broken.exe");
  write_file(broken, "this is no program\n");
  std::filesystem::permissions(broken, std::filesystem::perms::owner_all);
  const platform::Program program{broken};

  EXPECT_EQ(platform::run_with_output_to(program, {"x"}, report.c_str(), any_status).outcome,
            Outcome::not_started);
  EXPECT_EQ(names_in(dir.root()), Names{"broken.exe"});

  write_file(report, "kept\n");
  EXPECT_EQ(platform::run_with_output_to(program, {"x"}, report.c_str(), any_status).outcome,
            Outcome::not_started);
  EXPECT_EQ(read_file(report), "kept\n");
  EXPECT_EQ(names_in(dir.root()), (Names{"broken.exe", "report"}));
}

TEST_F(PlatformLaunch, OutputTakesTheNameOnlyAfterASuccessStatus) {
  // failing_program writes a line, then exits with status 2.
  const platform::Program failing = platform::find_program("failing_program");
  ASSERT_FALSE(failing.path.empty());
  struct Case {
    int highest_success_status;
    Outcome outcome;
    std::string report_after;
  };
  const std::vector<Case> cases = {
      {2, Outcome::written, "--- a partial report\n"},
      {1, Outcome::failed, "old\n"},
  };
  for (const Case& c : cases) {
    write_file(report, "old\n");
    const platform::RunResult result =
        platform::run_with_output_to(failing, {}, report.c_str(), c.highest_success_status);
    EXPECT_EQ(result.outcome, c.outcome) << c.highest_success_status;
    EXPECT_EQ(result.status, 2) << c.highest_success_status;
    EXPECT_EQ(test_support::fold_line_ends(read_file(report)), c.report_after);
    EXPECT_EQ(names_in(dir.root()), Names{"report"}) << c.highest_success_status;
  }
}

TEST_F(PlatformLaunch, OutputThatCannotTakeTheNameIsRemoved) {
  // A folder stands where the output should go; no file can replace it.
  std::filesystem::create_directory(report);
  const platform::RunResult result = show({"x"});
  EXPECT_EQ(result.outcome, Outcome::output_not_written);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(std::filesystem::is_empty(report));
  EXPECT_EQ(names_in(dir.root()), Names{"report"});
}

TEST_F(PlatformLaunch, OutputThatCannotBeCreatedIsReported) {
  const std::string inside_missing_folder = dir.path("no-such-folder/report");
  const platform::RunResult result =
      platform::run_with_output_to(show_args, {"x"}, inside_missing_folder.c_str(), any_status);
  EXPECT_EQ(result.outcome, Outcome::output_not_written);
  EXPECT_FALSE(result.reason.empty());
}

}  // namespace
