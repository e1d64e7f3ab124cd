// The word report end to end: against the installed git's --word-diff on
// pairs whose scripts are unique, the options it may not go with, huge pairs
// compared a region at a time, and a property on real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/ralu_run.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::ProcessResult;
using test_support::run_ralu;
using test_support::TempDir;

struct Pair {
  std::string old_text, new_text;
};

// Pairs whose words are distinct, each with a subtle point of white space.
const std::vector<Pair> pairs = {
    {"1a 2b 3c\n", "1a 3c\n"},                              // a word deleted between blanks
    {"1a 3c\n", "1a 2b 3c\n"},                              // one inserted
    {"0x\n  1a  2b  \n9z\n", "0x\n 1a   3c \n9z\n"},        // blanks before, between, after
    {"0x\n  1a  2b\n4q\n", "0x\n"},                         // lines deleted whole
    {"0x\n", "0x\n  1a  2b\n4q 5r\n"},                      // lines inserted whole
    {"1a", "2b"},                                           // neither ends in a line end
    {"1a\n", "2b"},                                         // only the new lacks one
    {"0k\n1a", "0k\n"},                                     // a last line deleted
    {"1a\n\n9z", "2b\n\n9z"},                               // an empty context line, no end
    {"0x\n1a 2b  \n3c 4d\n9y", "0x\n1a\t5B  \n6e 4d\n9y"},  // a change across a line end
    {"0x\n   \n9y\n", "0x\n5e\n9y\n"},                      // a line of blanks replaced
    {"0x\n1a 2b\n9y\n", "0x\n1a  2b\n9y\n"},                // blanks alone changed
    {"1a\n2b\n3c\n4d\n5e\n6f\n7g\n8h\n", "1a\n2x\n3c\n4d\n5e\n6f\n7y\n8h\n"},  // two hunks
};

const std::vector<std::vector<std::string>> modes = {
    {"--word-diff"},
    {"--word-diff=color"},
    {"--word-diff=porcelain"},
    {"--word-diff", "--color=always"},
    {"--color-words=[0-9]+|[a-zA-Z]+"},
    {"--word-diff-regex=[a-z]", "-U0"},
    {"--word-diff=porcelain", "-U1"},
    {"--color-words", "-U0"},
};

// From the first hunk line on: ralu's header and git's are their own.
std::string from_first_hunk(const std::string& report) {
  const std::size_t at = report.find("@@");
  if (at == std::string::npos) return "";
  const std::size_t line = report.rfind('\n', at);
  return report.substr(line == std::string::npos ? 0 : line + 1);
}

TEST(RaluWordDiff, SameHunksAsGit) {
#ifdef _WIN32
  GTEST_SKIP() << "git runs as the oracle on the POSIX build";
#else
  const std::string git = test_support::find_program("git");
  if (git.empty()) GTEST_SKIP() << "git is not installed";
  TempDir dir;
  for (const Pair& pair : pairs) {
    test_support::write_file(dir.path("old"), pair.old_text);
    test_support::write_file(dir.path("new"), pair.new_text);
    for (const std::vector<std::string>& mode : modes) {
      std::vector<std::string> args = mode;
      args.insert(args.end(), {"old", "new"});
      test_support::ProcessOptions options;
      options.working_dir = dir.root().string();
      options.output_is_data = true;
      options.extra_env = {"GIT_CONFIG_NOSYSTEM=1", "HOME=" + dir.root().string()};
      std::vector<std::string> git_args = {"diff", "--no-index"};
      git_args.insert(git_args.end(), args.begin(), args.end());
      const ProcessResult expected = test_support::run_process(git, git_args, options);
      const ProcessResult actual = run_ralu(dir, args);
      const std::string shown = pair.old_text + " -> " + pair.new_text + " with " + mode[0];
      EXPECT_EQ(actual.status, expected.status) << shown << "\n" << actual.err;
      EXPECT_EQ(from_first_hunk(actual.out), from_first_hunk(expected.out)) << shown;
    }
  }
#endif
}

TEST(RaluWordDiff, RefusesWhatDoesNotGoWithIt) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases = {
      {{"--word-diff", "-c"}, "--word-diff and --context do not go together"},
      {{"-y", "--color-words"}, "--word-diff and --side-by-side do not go together"},
      {{"--word-diff=porcelain", "-e"}, "--word-diff and --ed do not go together"},
      {{"--word-diff", "-f"}, "--word-diff and --forward-ed do not go together"},
      {{"--word-diff", "-n"}, "--word-diff and --rcs do not go together"},
      {{"--word-diff", "--normal"}, "--word-diff and --normal do not go together"},
      {{"--word-diff", "-DX"}, "--ifdef and the line and group formats"},
      {{"--word-diff", "--line-format=%L"}, "--ifdef and the line and group formats"},
      {{"--word-diff", "-q"}, "--word-diff and --brief do not go together"},
      {{"--word-diff", "-t"}, "--word-diff and --expand-tabs do not go together"},
      {{"--word-diff", "-T"}, "--word-diff and --initial-tab do not go together"},
      {{"--word-diff", "--suppress-blank-empty"}, "--suppress-blank-empty do not go together"},
      {{"--word-diff", "--highlight-changes"}, "--highlight-changes do not go together"},
      {{"--word-diff-regex=x", "-c"}, "--word-diff and --context do not go together"},
      {{"--word-diff=words"},
       "--word-diff: invalid choice 'words' (plain, color, porcelain, none)"},
      {{"--word-diff-regex=("}, "--word-diff-regex: invalid regular expression '('"},
      {{"--color-words=[z-a]"}, "--word-diff-regex: invalid regular expression '[z-a]'"},
  };
  TempDir dir;
  test_support::write_file(dir.path("a"), "1a\n");
  test_support::write_file(dir.path("b"), "2b\n");
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"a", "b"});
    const ProcessResult result = run_ralu(dir, args);
    EXPECT_EQ(result.status, 2) << c.args[0] << " " << c.args.back();
    EXPECT_TRUE(result.out.empty()) << c.args[0];
    EXPECT_EQ(result.err.rfind("ralu: ", 0), 0U) << result.err;
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
  }
}

// Options that turn the word report off again, or spell it otherwise, give
// the report they stand for.
TEST(RaluWordDiff, SpellingsAgree) {
  const std::vector<std::vector<std::vector<std::string>>> alike = {
      {{"--word-diff"}, {"--word-diff=plain"}, {"--word-diff-r=[^ \t\n]+"}},
      {{"--word-diff=color"}, {"--color-words"}, {"--word-diff=color", "--color=never"}},
      {{"--color-words=[a-z]+"}, {"--word-diff=color", "--word-diff-regex=[a-z]+"}},
      {{"-u"}, {"--word-diff", "--word-diff=none"}, {"--color-words", "--word-diff=none"}},
      // --col is still diff's --color, beside --color-words.
      {{"--color=always"}, {"--col=always"}},
  };
  TempDir dir;
  test_support::write_file(dir.path("a"), "0x\nFoo  bar(1)\n9y\n");
  test_support::write_file(dir.path("b"), "0x\nfoo bar(2) baz\n9y\n");
  for (const auto& group : alike) {
    std::vector<std::string> first = group[0];
    first.insert(first.end(), {"a", "b"});
    const ProcessResult expected = run_ralu(dir, first);
    EXPECT_EQ(expected.status, 1) << group[0][0];
    for (const std::vector<std::string>& spelling : group) {
      std::vector<std::string> args = spelling;
      args.insert(args.end(), {"a", "b"});
      EXPECT_EQ(run_ralu(dir, args).out, expected.out) << spelling[0];
    }
  }
}

// The matching options keep their meaning for which lines count as changed;
// under -i words differing only in case are equal too.
TEST(RaluWordDiff, MatchingOptionsChooseTheChangedLines) {
  struct Case {
    std::vector<std::string> args;
    std::string old_text, new_text;
    std::string hunks;
  };
  const std::vector<Case> cases = {
      {{"--word-diff", "-U0"}, "a  b\nc\n", "a b\nd\n", "@@ -1,2 +1,2 @@\na b\n[-c-]{+d+}\n"},
      {{"--word-diff", "-U0", "-b"}, "a  b\nc\n", "a b\nd\n", "@@ -2 +2 @@\n[-c-]{+d+}\n"},
      {{"--word-diff", "-U0", "-w"}, "ab\nc\n", "a b\nc\n", ""},
      {{"--word-diff", "-U0", "-i"}, "Foo bar\n", "foo baz\n", "@@ -1 +1 @@\nfoo [-bar-]{+baz+}\n"},
      {{"--word-diff", "-U0", "-B"}, "a\nb\n", "a\n\nb\n", ""},
      {{"--word-diff=porcelain", "-U0", "-B"},
       "a\nb\n",
       "a\n\nc\n",
       "@@ -2 +2,2 @@\n~\n-b\n+c\n~\n"},
  };
  TempDir dir;
  for (const Case& c : cases) {
    test_support::write_file(dir.path("a"), c.old_text);
    test_support::write_file(dir.path("b"), c.new_text);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"a", "b"});
    const ProcessResult result = run_ralu(dir, args);
    EXPECT_EQ(from_first_hunk(result.out), c.hunks) << c.args.back() << ": " << c.old_text;
  }
}

// Colour: always for --color-words, never for porcelain, as --color says
// for plain words; git's codes, unless a palette gives others.
TEST(RaluWordDiff, ColourAsTheModeSays) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> holds;
    std::vector<std::string> lacks;
  };
  const std::string esc = "\x1b[";
  const std::vector<Case> cases = {
      {{"--word-diff=color"}, {esc + "31m1b" + esc + "m", esc + "32m2c" + esc + "m"}, {}},
      {{"--color-words", "--color=never"}, {esc + "31m1b"}, {}},
      {{"--word-diff=color", "--palette=de=35:rs=0"}, {esc + "35m1b" + esc + "0m"}, {esc + "31m"}},
      {{"--word-diff"}, {"[-1b-]{+2c+}"}, {esc}},
      {{"--word-diff", "--color=always"}, {esc + "31m[-1b-]" + esc + "m"}, {}},
      {{"--word-diff=porcelain", "--color=always"}, {"-1b\n+2c\n"}, {esc}},
  };
  TempDir dir;
  test_support::write_file(dir.path("a"), "0a 1b\n");
  test_support::write_file(dir.path("b"), "0a 2c\n");
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"a", "b"});
    const std::string hunks = from_first_hunk(run_ralu(dir, args).out);
    for (const std::string& text : c.holds) {
      EXPECT_NE(hunks.find(text), std::string::npos) << c.args.back() << ": " << hunks;
    }
    for (const std::string& text : c.lacks) {
      EXPECT_EQ(hunks.find(text), std::string::npos) << c.args.back() << ": " << hunks;
    }
  }
}

// A pair compared a region at a time writes the report it writes whole.
TEST(RaluWordDiff, RegionsWriteWhatTheWholeWrites) {
  std::string old_text, new_text;
  for (int i = 0; i < 3000; ++i) {
    const std::string line = std::to_string(i) + " w" + std::to_string(i * 7) + "  z\n";
    old_text += line;
    new_text += i % 500 == 3 ? std::to_string(i) + " v" + std::to_string(i) + " z\n" : line;
  }
  TempDir dir;
  test_support::write_file(dir.path("a"), old_text);
  test_support::write_file(dir.path("b"), new_text);
  for (const std::vector<std::string>& mode : modes) {
    std::vector<std::string> args = mode;
    args.insert(args.end(), {"a", "b"});
    const ProcessResult whole = run_ralu(dir, args);
    args.insert(args.begin(), "--horizon-lines=40");
    const ProcessResult regions = run_ralu(dir, args);
    EXPECT_EQ(whole.status, 1) << mode[0];
    EXPECT_EQ(regions.status, 1) << mode[0];
    EXPECT_EQ(regions.out, whole.out) << mode[0];
  }
}

// What a porcelain report says of each side: the text of its context and
// its pieces of one kind, each "~" a line end.
struct RebuiltSides {
  std::string old_text, new_text;
};

RebuiltSides rebuild(const std::string& porcelain) {
  RebuiltSides sides;
  std::istringstream lines(porcelain);
  std::string line;
  for (int header = 0; header < 2 && std::getline(lines, line);) ++header;
  while (std::getline(lines, line)) {
    if (line.starts_with("@@")) continue;
    const char mark = line.empty() ? '\0' : line[0];
    const std::string text = line.substr(1);
    if (mark == '~') {
      sides.old_text += '\n';
      sides.new_text += '\n';
    }
    if (mark == ' ' || mark == '-') sides.old_text += text;
    if (mark == ' ' || mark == '+') sides.new_text += text;
  }
  return sides;
}

std::vector<std::string> blank_split(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// The bytes other than white space: what a pattern's words, which may stand
// next to one another, must keep.
std::string without_blanks(std::string text) {
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
  return text;
}

std::string source_file(const std::string& name) {
  const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
  std::ifstream in(root / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// On real files, where scripts need not be unique: a porcelain report with
// every line as context holds every word of the new file in order, and every
// byte of either file that is not white space. (Not all their white space:
// within a change a "~" stands for a line end of either side, between
// changes the blanks are the new file's, and deleted words follow the word
// before them with no blank between, as in git.)
TEST(RaluWordDiff, PorcelainKeepsEveryWordOfRealFiles) {
  const std::vector<std::pair<std::string, std::string>> real_pairs = {
      {"ralu/formats/unified.cpp", "ralu/formats/context.cpp"},
      {"ralu/formats/normal.cpp", "ralu/formats/rcs.cpp"},
      {"ralu/formats/ed.cpp", "ralu/formats/side_by_side.cpp"},
      {"README.md", "man/ralu.1"},
      {"ralu/command/options.cpp", "ralu/command/plan.cpp"},
  };
  TempDir dir;
  for (const auto& [old_name, new_name] : real_pairs) {
    const std::string old_text = source_file(old_name);
    const std::string new_text = source_file(new_name);
    ASSERT_FALSE(old_text.empty() || new_text.empty()) << old_name << " " << new_name;
    test_support::write_file(dir.path("a"), old_text);
    test_support::write_file(dir.path("b"), new_text);
    const ProcessResult plain = run_ralu(dir, {"--word-diff=porcelain", "-U100000000", "a", "b"});
    ASSERT_EQ(plain.status, 1) << plain.err;
    const RebuiltSides sides = rebuild(plain.out);
    EXPECT_EQ(blank_split(sides.new_text), blank_split(new_text)) << old_name << " " << new_name;
    EXPECT_EQ(without_blanks(sides.old_text), without_blanks(old_text)) << old_name;
    const ProcessResult pattern = run_ralu(
        dir,
        {"--word-diff=porcelain", "--word-diff-regex=[A-Za-z0-9_]+|[^ ]", "-U100000000", "a", "b"});
    const RebuiltSides by_pattern = rebuild(pattern.out);
    EXPECT_EQ(without_blanks(by_pattern.new_text), without_blanks(new_text)) << old_name;
    EXPECT_EQ(without_blanks(by_pattern.old_text), without_blanks(old_text)) << old_name;
  }
}

}  // namespace
