// The stat forms against the installed git: `git diff --no-index` over the
// same files and folders must print the same table, numbers and closing
// line byte for byte, with the same exit status; where a patch follows, the
// summary and the blank line before the patch must be git's. Then the
// command lines that make no sense with a stat form.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ralu_run.h"
#include "tests/support/system.h"

namespace {

using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::TempDir;

std::string numbered(int first, int last, const std::string& stem = "line") {
  std::string text;
  for (int i = first; i <= last; ++i) text += stem + std::to_string(i) + "\n";
  return text;
}

struct StatFile {
  std::string name;
  std::string bytes;
};

// Two trees "old" and "new" of files that differ in every way the forms
// tell apart, and loose files beside them.
const std::vector<StatFile> stat_files = {
    {"old/notes.txt", numbered(1, 10)},
    {"new/notes.txt", numbered(1, 4) + "five\n" + numbered(6, 12)},
    {"old/same.txt", "same\n"},
    {"new/same.txt", "same\n"},
    {"old/image.bin", std::string("ab\0cd", 5)},
    {"new/image.bin", std::string("ab\0cdefg", 8)},
    {"old/gone/only.txt", numbered(1, 3)},
    // Nothing like the file gone, or git would take it for that file moved.
    {"new/added/fresh.txt", numbered(1, 2, "fresh")},
    {"new/added/empty.txt", ""},
    {"old/deep/er/long.txt", numbered(1, 400)},
    {"new/deep/er/long.txt", numbered(150, 700)},
    {"old/spaces.txt", "a b\nc\n"},
    {"new/spaces.txt", "a  b\nc\n"},
    {"one.txt", numbered(1, 3)},
    {"two.txt", numbered(1, 4)},
    {"moved/x/f.txt", numbered(1, 5)},
    {"moved/f.txt", numbered(2, 6)},
    {"huge1.txt", numbered(1, 3000)},
    {"huge2.txt", numbered(1, 10) + numbered(2000, 5000, "other")},
    {"only_add.bin", std::string("\0\0\0", 3)},
    {"empty.txt", ""},
};

struct StatCase {
  std::vector<std::string> args;  // after "git diff --no-index" and after "ralu -r"
  std::string columns = "";       // COLUMNS for both
  bool patch_follows = false;     // compare only what comes before the patch
  // git says 0 under -b and -w whatever differs; ralu keeps diff's status.
  bool same_status = true;
};

const std::vector<StatCase> stat_cases = {
    // Two files: names shared in part, in braces, or not at all.
    {{"--stat", "one.txt", "two.txt"}},
    {{"--stat", "two.txt", "one.txt"}},
    {{"--stat", "old/notes.txt", "new/notes.txt"}},
    {{"--stat", "moved/x/f.txt", "moved/f.txt"}},
    {{"--stat", "moved/f.txt", "moved/x/f.txt"}},
    {{"--stat", "old/deep/er/long.txt", "new/notes.txt"}},
    {{"--numstat", "old/notes.txt", "new/notes.txt"}},
    {{"--shortstat", "one.txt", "two.txt"}},
    {{"--shortstat", "two.txt", "one.txt"}},
    // Binary files: sizes, and numstat's dashes.
    {{"--stat", "old/image.bin", "new/image.bin"}},
    {{"--numstat", "old/image.bin", "new/image.bin"}},
    {{"--shortstat", "old/image.bin", "new/image.bin"}},
    {{"--stat", "empty.txt", "only_add.bin"}},
    // Bars scaled down for a long count, at several widths.
    {{"--stat", "huge1.txt", "huge2.txt"}},
    {{"--stat=40", "huge1.txt", "huge2.txt"}},
    {{"--stat=200", "huge1.txt", "huge2.txt"}},
    {{"--stat", "huge1.txt", "huge2.txt"}, "120"},
    {{"--stat", "huge1.txt", "huge2.txt"}, "30"},
    // Trees: every file that differs, those on one side as added or deleted.
    {{"--stat", "old", "new"}},
    {{"--stat", "old/", "new/"}},
    {{"--numstat", "old", "new"}},
    {{"--shortstat", "old", "new"}},
    {{"--stat", "old", "new"}, "50"},
    {{"--stat=60", "old", "new"}},
    {{"--stat=100,12", "old", "new"}},
    {{"--stat=100,5", "old", "new"}},
    {{"--stat=100,40,2", "old", "new"}},
    {{"--stat=0,0,1", "old", "new"}},
    {{"--stat=10", "old", "new"}},
    // git's colours on the bars.
    {{"--stat", "--color=always", "old", "new"}},
    {{"--stat=50", "--color=always", "huge1.txt", "huge2.txt"}},
    // White space ignored as diff ignores it: a pair alike is not listed.
    {{"--stat", "-b", "old", "new"}, "", false, false},
    {{"--numstat", "-w", "old", "new"}, "", false, false},
    // A patch after the summary, after a blank line.
    {{"--stat", "-p", "one.txt", "two.txt"}, "", true},
    {{"--numstat", "-p", "old", "new"}, "", true},
    {{"--shortstat", "-p", "old", "new"}, "", true},
    {{"--stat", "-U1", "old", "new"}, "", true},
};

// The part before the patch: up to and with the first empty line.
std::string before_patch(const std::string& text) {
  const std::size_t end = text.find("\n\n");
  return end == std::string::npos ? text : text.substr(0, end + 2);
}

// ralu's own patch after the summary is its unified form, not git's; -p
// asks for it as in git (with ralu's function lines).
std::vector<std::string> ralu_args(const StatCase& c) {
  std::vector<std::string> args = {"-r"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  return args;
}

TEST(RaluStat, MatchesGitDiffNoIndex) {
  const std::string git = test_support::find_program("git");
  if (git.empty()) GTEST_SKIP() << "git is not installed";
  TempDir dir;
  for (const StatFile& file : stat_files) {
    std::filesystem::create_directories(std::filesystem::path(dir.path(file.name)).parent_path());
    test_support::write_file(dir.path(file.name), file.bytes);
  }
  for (const StatCase& c : stat_cases) {
    ProcessOptions options;
    options.working_dir = dir.root().string();
    options.output_is_data = true;
    // No configuration of the user's may change git's output.
    options.extra_env = {"COLUMNS=" + c.columns, "HOME=" + dir.root().string(),
                         "GIT_CONFIG_NOSYSTEM=1", "LC_ALL=C"};
    std::vector<std::string> git_args = {"diff", "--no-index", "--no-color"};
    git_args.insert(git_args.end(), c.args.begin(), c.args.end());
    const ProcessResult expected = test_support::run_process(git, git_args, options);
    const ProcessResult actual = test_support::run_ralu(dir, ralu_args(c), options);
    std::string shown;
    for (const std::string& arg : c.args) shown += " " + arg;
    if (c.same_status) {
      EXPECT_EQ(actual.status, expected.status) << shown << "\n" << actual.err;
    }
    EXPECT_EQ(actual.err, "") << shown;
    if (c.patch_follows) {
      EXPECT_EQ(before_patch(actual.out), before_patch(expected.out)) << shown;
      EXPECT_NE(actual.out.find("\n@@ "), std::string::npos) << shown;
    } else {
      EXPECT_EQ(actual.out, expected.out) << shown << " COLUMNS=" << c.columns;
    }
  }
}

struct RefusedCase {
  std::vector<std::string> args;
  std::string error;  // what standard error begins with
};

const std::vector<RefusedCase> refused_cases = {
    {{"--stat", "-y", "a", "b"}, "ralu: --stat: only a unified patch can follow it"},
    {{"--numstat", "-c", "a", "b"}, "ralu: --numstat: only a unified patch can follow it"},
    {{"--shortstat", "--normal", "a", "b"},
     "ralu: --shortstat: only a unified patch can follow it"},
    {{"--stat", "-e", "a", "b"}, "ralu: --stat: only a unified patch can follow it"},
    {{"-D", "X", "--stat", "a", "b"}, "ralu: --stat: only a unified patch can follow it"},
    {{"--stat", "-q", "a", "b"}, "ralu: --stat and --brief cannot go together"},
    {{"--stat", "-s", "a", "b"}, "ralu: --stat and --report-identical-files cannot go together"},
    {{"--stat", "--numstat", "a", "b"}, "ralu: --stat and --numstat cannot go together"},
    {{"--shortstat", "--stat=9", "a", "b"}, "ralu: --shortstat and --stat cannot go together"},
    {{"--stat=x", "a", "b"}, "ralu: --stat: invalid width 'x'"},
    {{"--stat=80,y", "a", "b"}, "ralu: --stat: invalid width '80,y'"},
    {{"--stat=1,2,3,4", "a", "b"}, "ralu: --stat: invalid width '1,2,3,4'"},
    {{"--stat=-5", "a", "b"}, "ralu: --stat: invalid width '-5'"},
    {{"--numstat=3", "a", "b"}, "ralu: --numstat: takes no value"},
};

TEST(RaluStat, RefusesWhatMakesNoSense) {
  TempDir dir;
  test_support::write_file(dir.path("a"), "1\n");
  test_support::write_file(dir.path("b"), "2\n");
  for (const RefusedCase& c : refused_cases) {
    const ProcessResult result = test_support::run_ralu(dir, c.args);
    EXPECT_EQ(result.status, 2) << c.error;
    EXPECT_TRUE(result.err.starts_with(c.error)) << result.err;
    EXPECT_EQ(result.out, "") << c.error;
  }
}

// The last --stat value counts, and the plain run of a pair that is alike
// lists nothing at all.
TEST(RaluStat, AlikePairsAreNotListed) {
  TempDir dir;
  test_support::write_file(dir.path("a"), "x y\n");
  test_support::write_file(dir.path("b"), "x  y\n");
  const ProcessResult alike = test_support::run_ralu(dir, {"--stat", "-b", "a", "b"});
  EXPECT_EQ(alike.status, 0);
  EXPECT_EQ(alike.out, "");
  const ProcessResult differ = test_support::run_ralu(dir, {"--stat=10", "--stat", "-u", "a", "b"});
  EXPECT_EQ(differ.status, 1);
  EXPECT_TRUE(
      differ.out.starts_with(" a => b | 2 +-\n 1 file changed, 1 insertion(+), 1 "
                             "deletion(-)\n\n--- a\t"))
      << differ.out;
}

}  // namespace
