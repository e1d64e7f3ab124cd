// kevo's command line and the outcomes that end a run before any content is
// compared: every line, stream and exit status of the run flow.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

using test_support::directories_open_for_reading;
using test_support::ProcessResult;
using test_support::run_kevo;
using test_support::TempDir;
using test_support::write_file;

const std::string usage_line = "Usage: kevo [-bit] [-o <outputDir>] <filename1> <filename2>\n";

class KevoCli : public testing::Test {
 protected:
  void SetUp() override {
    write_file(dir.path("a.txt"), "alpha\n");
    write_file(dir.path("b.txt"), "beta\n");
    write_file(dir.path("a-copy.txt"), "alpha\n");
    std::filesystem::create_directory(dir.root() / "sub");
  }

 public:
  ProcessResult kevo(const std::vector<std::string>& args) { return run_kevo(dir, args); }

  TempDir dir;
};

struct Expected {
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

void expect_run(KevoCli& fixture, const Expected& e) {
  const ProcessResult r = fixture.kevo(e.args);
  std::string shown;
  for (const auto& a : e.args) shown += "[" + a + "]";
  EXPECT_EQ(r.status, e.status) << shown;
  EXPECT_EQ(r.out, e.out) << shown;
  EXPECT_EQ(r.err, e.err) << shown;
}

TEST_F(KevoCli, UsageErrors) {
  const std::vector<Expected> cases = {
      {{}, 1, usage_line, ""},
      {{"a.txt"}, 1, usage_line, ""},
      {{"a.txt", "b.txt", "-t"}, 1, usage_line, ""},  // options after a name are names
      {{"-b", "-i"}, 1, usage_line, ""},
      {{"-o"}, 1, "", "<outputDir> parameter missing\n"},
      {{"-t", "-o"}, 1, "", "<outputDir> parameter missing\n"},
      {{"-x", "a.txt", "b.txt"}, 1, "", "-x ... invalid option\n"},
      {{"-B", "a.txt", "b.txt"}, 1, "", "-B ... invalid option\n"},
      {{"-ot", "a.txt", "b.txt"}, 1, "", "-ot ... invalid option\n"},
      {{"-bo", "a.txt", "b.txt"}, 1, "", "-bo ... invalid option\n"},
      {{"-usage", "a.txt", "b.txt"}, 1, "", "-usage ... invalid option\n"},
      {{"-usage", "-usage"}, 1, "", "-usage ... invalid option\n"},
      {{"-%s%d", "a.txt", "b.txt"}, 1, "", "-%s%d ... invalid option\n"},
  };
  for (const auto& c : cases) expect_run(*this, c);
}

TEST_F(KevoCli, OptionGroupsAreLettersInAnyOrderAndMayRepeat) {
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"-bit"}, {"-tib"}, {"-b", "-i", "-t"}, {"-iiii"}, {"-"}, {}}) {
    std::vector<std::string> args = options;
    args.insert(args.end(), {"a.txt", "a-copy.txt"});
    const ProcessResult r = kevo(args);
    EXPECT_EQ(r.status, 0);
    const bool quiet = !options.empty() && options[0] != "-";
    EXPECT_EQ(r.out, quiet ? "" : "match: a.txt ... a-copy.txt\n") << options.size();
  }
}

TEST_F(KevoCli, FlagsBeforeAnInvalidLetterDoNotMatter) {
  // The b is taken before the x stops the run; the run still ends at the x.
  expect_run(*this, {{"-bx", "missing", "b.txt"}, 1, "", "-bx ... invalid option\n"});
}

TEST_F(KevoCli, OutputDirectoryTakesAnyNextArgument) {
  // "-t" here is the output directory, so the pair is compared without -t.
  expect_run(*this, {{"-o", "-t", "a.txt", "b.txt"}, 0, "unmatch: a.txt(6) ... b.txt(5)\n", ""});
  expect_run(
      *this,
      {{"-o", "x", "-o", "y", "a.txt", "a-copy.txt"}, 0, "match: a.txt ... a-copy.txt\n", ""});
}

TEST_F(KevoCli, SecondNameMayBeginWithADash) {
  write_file(dir.path("-b"), "alpha\n");
  expect_run(*this, {{"a.txt", "-b"}, 0, "match: a.txt ... -b\n", ""});
}

TEST_F(KevoCli, WildcardsAreNotExpanded) {
  expect_run(*this, {{"*.txt", "a.txt"}, 1, "not found: *.txt\n", ""});
  expect_run(*this, {{"a.txt", "a-cop?.txt"}, 1, "not found: a-cop?.txt\n", ""});
}

TEST_F(KevoCli, EmptyArgumentIsAName) {
  expect_run(*this, {{"", "a.txt"}, 1, "not found: \n", ""});
  expect_run(*this, {{"a.txt", ""}, 1, "not found: \n", ""});
}

TEST_F(KevoCli, MissingFiles) {
  const std::vector<Expected> cases = {
      {{"missing", "b.txt"}, 1, "not found: missing\n", ""},
      {{"a.txt", "missing"}, 1, "not found: missing\n", ""},
      // The first name is found missing before the second is looked at.
      {{"gone1", "gone2"}, 1, "not found: gone1\n", ""},
      {{"gone", "gone"}, 1, "not found: gone\n", ""},
      {{"-b", "missing", "b.txt"}, 1, "", ""},
      {{"-b", "a.txt", "missing"}, 1, "", ""},
      {{"-i", "missing", "b.txt"}, 1, "not found: missing\n", ""},
  };
  for (const auto& c : cases) expect_run(*this, c);
}

// A directory is opened before its status is read. Where it opens (POSIX) the
// directory line follows with status 0; where it does not (Windows) the open
// fails and the not-found line ends the run with status 1.
Expected directory_case(std::vector<std::string> args, const std::string& line) {
  if (directories_open_for_reading())
    return {std::move(args), 0, line.empty() ? "" : "directory: " + line + "\n", ""};
  return {std::move(args), 1, line.empty() ? "" : "not found: " + line + "\n", ""};
}

TEST_F(KevoCli, Directories) {
  const std::vector<Expected> cases = {
      directory_case({"sub", "a.txt"}, "sub"),
      directory_case({"a.txt", "sub"}, "sub"),
      directory_case({"sub", "."}, "sub"),
      directory_case({"-b", "sub", "a.txt"}, ""),
      directory_case({"-b", "a.txt", "sub"}, ""),
      // The directory test comes before the same-name test.
      directory_case({"sub", "sub"}, "sub"),
  };
  for (const auto& c : cases) expect_run(*this, c);
}

TEST_F(KevoCli, SameNameIsReportedWhateverTheFlags) {
  for (const std::string flags : {"-b", "-i", "-bi", "-bit"}) {
    expect_run(*this, {{flags, "a.txt", "a.txt"}, 0, "same: a.txt ... a.txt\n", ""});
  }
}

TEST_F(KevoCli, DifferentNamesForOneFileAreCompared) {
  expect_run(*this, {{"a.txt", "./a.txt"}, 0, "match: a.txt ... ./a.txt\n", ""});
  expect_run(*this, {{"a.txt", ".\\a.txt"}, 0, "match: a.txt ... .\\a.txt\n", ""});
}

TEST_F(KevoCli, BackslashSeparatesFoldersButNamesPrintAsGiven) {
  write_file(dir.path("sub/a.txt"), "alpha\n");
  expect_run(*this, {{"a.txt", "sub\\a.txt"}, 0, "match: a.txt ... sub\\a.txt\n", ""});
}

TEST_F(KevoCli, ShiftJisTrailByteBackslashIsNotASeparator) {
  if (const auto why = test_support::why_shift_jis_names_cannot_work(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  // 0x95 0x5C is one double-byte character whose second byte is a backslash.
  const std::string name = "\x95\x5c.txt";
  write_file(dir.path(name), "alpha\n");
  expect_run(*this, {{name, "a.txt"}, 0, "match: " + name + " ... a.txt\n", ""});
  // A backslash after a full character is a separator again.
  write_file(dir.path("sub/\x95\x5c"), "alpha\n");
  expect_run(*this, {{"sub\\\x95\x5c", "a.txt"}, 0, "match: sub\\\x95\x5c ... a.txt\n", ""});
}

TEST_F(KevoCli, NamesWithBlanksPercentAndMetacharactersPrintUnchanged) {
  for (const std::string name :
       {"with blank.txt", "100%s%d%n.txt", "x;echo hi&|$(id)`id`<>.txt", "tab\there", "new\nline",
        "x&echo hi^&%PATH%!x!.txt", " leading blank.txt"}) {
    if (!test_support::file_names_may_hold(name)) continue;  // not a name on this system
    write_file(dir.path(name), "alpha\n");
    expect_run(*this, {{name, "a.txt"}, 0, "match: " + name + " ... a.txt\n", ""});
    expect_run(*this, {{"-b", "a.txt", name + "-missing"}, 1, "", ""});
  }
}

TEST_F(KevoCli, VeryLongInvalidOptionIsWrittenWhole) {
  // Far beyond the diagnostics' 1,024-byte area, yet within the 32,767
  // characters of a Windows command line.
  const std::string argument = "-" + std::string(30000, 'z');
  expect_run(*this, {{argument, "a.txt", "b.txt"}, 1, "", argument + " ... invalid option\n"});
}

TEST_F(KevoCli, VeryLongMissingNameIsPrintedWhole) {
  const std::string name(5000, 'n');
  expect_run(*this, {{"a.txt", name}, 1, "not found: " + name + "\n", ""});
}

}  // namespace

namespace {

// A result that cannot be written is a failure, not a success.
TEST(KevoOutput, FullStandardOutputIsAFailure) {
  TempDir dir;
  write_file(dir.path("a"), "alpha\n");
  write_file(dir.path("b"), "beta\n");
  test_support::ProcessOptions options;
  options.working_dir = dir.root().string();
  options.output_path = test_support::full_device_name();
  if (options.output_path.empty()) {
    GTEST_SKIP() << "no device here on which writes fail for want of space";
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"a", "b"}, {"a", "a"}, {"-usage"}, {"a", "missing"}}) {
    const ProcessResult r = test_support::run_process(test_support::kevo_path(), args, options);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.err, "kevo: standard output: No space left on device\n") << args[0];
  }
  // A kevo that cannot tell its result hands nothing on: no report, and the
  // reason is the failed write's own.
  write_file(dir.path("b.txt"), "beta\ngamma\n");
  const ProcessResult handed =
      test_support::run_process(test_support::kevo_path(), {"-t", "a", "b.txt"}, options);
  EXPECT_EQ(handed.status, 1);
  EXPECT_EQ(handed.err, "kevo: standard output: No space left on device\n");
  EXPECT_FALSE(test_support::file_exists(dir.path("a.dif")));

  // With nothing to write, nothing is lost: a quiet match still succeeds.
  write_file(dir.path("a2"), "alpha\n");
  const ProcessResult silent =
      test_support::run_process(test_support::kevo_path(), {"-i", "a", "a2"}, options);
  EXPECT_EQ(silent.status, 0);
  EXPECT_EQ(silent.err, "");
}

}  // namespace
