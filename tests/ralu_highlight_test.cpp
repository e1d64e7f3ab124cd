// --highlight-changes: where the lines of a changed pair differ, marked in
// reverse video. The stretches themselves from a table of line pairs; then
// whole runs, whose output with the marks taken out must be the plain
// --color output (which must stay GNU diff's), for the unified form and
// side by side.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ralu/formats/changed_stretch.h"
#include "tests/support/diff_oracle.h"
#include "tests/support/ralu_run.h"
#include "tests/support/system.h"

namespace {

using ralu::Stretch;

struct StretchCase {
  std::string old_text;
  std::string new_text;
  std::string old_marked;  // the old text's stretch, as bytes
  std::string new_marked;
  bool marked = true;  // false: nothing is marked at all
};

const std::vector<StretchCase> stretch_cases = {
    {"the quick brown fox", "the quick red fox", "brown", "red"},
    {"hello world", "hello there world", "", "there "},
    {"abc", "abcd", "", "d"},
    {"xabc", "abc", "x", ""},
    {"same", "same", "", "", false},
    {"left", "right", "lef", "righ"},  // only the end is shared
    {"left", "lift", "e", "i"},
    {"abc", "xyz", "", "", false},
    {"aaa", "aaaa", "", "a"},  // the shared ends may not overlap
    {"caf\xc3\xa9!", "caf\xc3\xab!", "\xc3\xa9", "\xc3\xab"},
    {"\xc3\xa9x", "\xc3\xabx", "\xc3\xa9", "\xc3\xab"},  // a character's first byte is not shared
    {"a\xe2\x82\xac", "a\xe2\x82\xa3", "\xe2\x82\xac", "\xe2\x82\xa3"},
};

std::string cut(const std::string& text, Stretch stretch) {
  return text.substr(stretch.begin, stretch.end - stretch.begin);
}

TEST(RaluHighlight, StretchesAreWhereLinesDiffer) {
  for (const StretchCase& c : stretch_cases) {
    const std::array<Stretch, 2> found = ralu::changed_stretches(c.old_text, c.new_text);
    if (!c.marked) {
      EXPECT_EQ(found[0], Stretch()) << c.old_text << " / " << c.new_text;
      EXPECT_EQ(found[1], Stretch()) << c.old_text << " / " << c.new_text;
      continue;
    }
    EXPECT_EQ(cut(c.old_text, found[0]), c.old_marked) << c.old_text << " / " << c.new_text;
    EXPECT_EQ(cut(c.new_text, found[1]), c.new_marked) << c.old_text << " / " << c.new_text;
    // What is not marked is what the two share, at both ends.
    EXPECT_EQ(c.old_text.substr(0, found[0].begin), c.new_text.substr(0, found[1].begin));
    EXPECT_EQ(c.old_text.substr(found[0].end), c.new_text.substr(found[1].end));
  }
}

std::string without_marks(std::string text) {
  for (const std::string_view mark : {ralu::stretch_on, ralu::stretch_off}) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
      text.erase(at, mark.size());
    }
  }
  return text;
}

// How many stretches a report marks.
std::size_t marks_in(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = text.find(ralu::stretch_on); at != std::string::npos;
       at = text.find(ralu::stretch_on, at + 1)) {
    ++count;
  }
  return count;
}

struct RunCase {
  std::vector<std::string> args;  // before the two names
  std::size_t marks;              // the stretches marked with --highlight-changes
};

// Old: three lines changed in place, one deleted; new: one added.
const std::string old_text = "int a = 1;\nkeep\nprint(\"hello\")\nreturn x;\ngone\ntail\n";
const std::string new_text = "int a = 2;\nkeep\nprint(\"hello, world\")\nreturn y;\ntail\nnew\n";

const std::vector<RunCase> run_cases = {
    {{"--color=always"}, 5},  // 1/2 twice, x/y twice, the added ", world" once
    {{"--color=always", "-U0"}, 5},
    {{"--color=always", "-y"}, 5},
    {{"--color=always", "-y", "--suppress-common-lines"}, 5},
    {{"--color=always", "-t"}, 0},  // tab stops count from the text's start
    {{"--color=never"}, 0},
    {{}, 0},
};

TEST(RaluHighlight, MarksAddOnlyToTheColouredReport) {
  test_support::TempDir dir;
  test_support::write_file(dir.path("old"), old_text);
  test_support::write_file(dir.path("new"), new_text);
  for (const RunCase& c : run_cases) {
    std::vector<std::string> plain_args = c.args;
    plain_args.insert(plain_args.end(), {"old", "new"});
    std::vector<std::string> marked_args = plain_args;
    marked_args.insert(marked_args.begin(), "--highlight-changes");
    const test_support::ProcessResult plain = test_support::run_ralu(dir, plain_args);
    const test_support::ProcessResult marked = test_support::run_ralu(dir, marked_args);
    const std::string shown = test_support::shown_args(marked_args);
    EXPECT_EQ(marked.status, 1) << shown << marked.err;
    EXPECT_EQ(marks_in(marked.out), c.marks) << shown << "\n" << marked.out;
    EXPECT_EQ(without_marks(marked.out), plain.out) << shown;
  }
}

// Plain colour stays diff's: in the unified form, and side by side, where
// diff colours the lines of one side alone, line feed and all.
TEST(RaluHighlight, PlainColourIsStillDiffs) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  test_support::expect_same_as_gnu_diff(
      diff, {{"old", old_text}, {"new", new_text}, {"unended", "int a = 1;\nkeep"}},
      {{{"--color=always", "-u", "old", "new"}},
       {{"--color=always", "-U0", "old", "new"}},
       {{"--color=always", "-y", "old", "new"}},
       {{"--color=always", "-y", "--suppress-common-lines", "old", "new"}},
       {{"--color=always", "-y", "--left-column", "-W", "40", "old", "new"}},
       {{"--color=always", "-y", "--palette=de=1;31:ad=4:rs=7", "old", "new"}},
       {{"--color=always", "-y", "new", "unended"}}});
}

}  // namespace
