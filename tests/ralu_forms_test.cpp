// ralu against the installed GNU diff in the forms that write hunks without a
// unified header: normal, context, ed and RCS; with the options that change
// which changes are shown (-B, -I) and how lines look (-t, -T), and with one
// file compared with several (--from-file, --to-file).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/diff_oracle.h"

namespace {

using File = test_support::OracleFile;
using Case = test_support::OracleCase;

std::string words(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "w" + std::to_string(i) + "\n";
  return text;
}

const std::vector<File> files = {
    {"a", "a\nb\nc\nd\n"},
    {"b", "a\nB\nc\nd\ne\n"},
    // Changes at both ends and in the middle, far enough apart for two hunks.
    {"long.old", words(1, 20)},
    {"long.new", "w0\n" + words(1, 4) + "W5\n" + words(6, 9) + words(12, 19) + "w20 \nw21\n"},
    {"eol.old", "a\nb\nc"},
    {"eol.new", "a\nB\nc"},
    {"eolonly.old", "a\nb\nc\n"},
    {"eolonly.new", "a\nb\nc"},
    // Lines of only a dot end an ed command's text.
    {"dots.old", "a\nb\nc\n"},
    {"dots.new", "a\n.\n.\nb\n..\n.x\nC\n.\n"},
    {"tabs.old", "a\tx\nb\tyy\n\tc\nd\n"},
    {"tabs.new", "a\tx\nB\tyy\n\tc\nd\n"},
    // A blank line inserted, a line that matches -I changed, a real change.
    {"ign.old", words(1, 12)},
    {"ign.new", "w1\n\nw2\nw3\n# note\nw4\n" + words(5, 8) + "W9\nw10\n\nw11\nw12\n"},
    {"empty", ""},
};

const std::vector<Case> cases = {
    // Each form, on one change and on changes spread over a longer file.
    {{"--normal", "a", "b"}},
    {{"--normal", "long.old", "long.new"}},
    {{"--normal", "long.new", "long.old"}},
    {{"-c", "a", "b"}},
    {{"-c", "long.old", "long.new"}},
    {{"-C", "1", "long.new", "long.old"}},
    {{"--context=0", "long.old", "long.new"}},
    {{"--context=", "long.old", "long.new"}},
    {{"-c", "-C5", "long.old", "long.new"}},
    {{"-e", "long.old", "long.new"}},
    {{"--ed", "long.new", "long.old"}},
    {{"-n", "long.old", "long.new"}},
    {{"--rcs", "long.new", "long.old"}},
    {{"--normal", "empty", "a"}},
    {{"-c", "a", "empty"}},
    {{"-e", "empty", "a"}},
    {{"-n", "a", "empty"}},
    // A last line without its line end.
    {{"--normal", "eol.old", "eol.new"}},
    {{"-c", "eol.old", "eolonly.old"}},
    {{"-e", "eol.old", "eol.new"}},
    {{"-e", "eolonly.old", "eolonly.new"}},
    {{"-n", "eolonly.old", "eolonly.new"}},
    {{"-n", "eolonly.new", "eolonly.old"}},
    {{"-e", "eolonly.new", "eolonly.new"}},
    {{"-e", "-q", "eolonly.old", "eolonly.new"}},
    {{"-e", "-q", "-w", "eol.old", "eol.new"}},
    // Dots in an ed script.
    {{"-e", "dots.old", "dots.new"}},
    {{"-n", "dots.old", "dots.new"}},
    // Function lines head context hunks; other forms have no place for them.
    {{"-c", "-p", "long.old", "long.new"}},
    {{"-C1", "-F", "^w1", "long.old", "long.new"}},
    {{"--normal", "-p", "long.old", "long.new"}},
    // Colour.
    {{"--color=always", "--normal", "eol.old", "eol.new"}},
    {{"--color=always", "-c", "long.old", "long.new"}},
    {{"--color=always", "-e", "a", "b"}},
    // Tabs.
    {{"-T", "--normal", "tabs.old", "tabs.new"}},
    {{"-T", "-c", "tabs.old", "tabs.new"}},
    {{"-T", "-u", "tabs.old", "tabs.new"}},
    {{"-t", "-c", "tabs.old", "tabs.new"}},
    {{"-tT", "--tabsize=3", "-u", "tabs.old", "tabs.new"}},
    {{"-t", "-e", "tabs.old", "tabs.new"}},
    {{"-t", "--tabsize", "4", "-n", "tabs.old", "tabs.new"}},
    // Changes left out.
    {{"--normal", "-B", "ign.old", "ign.new"}},
    {{"--normal", "-I", "^#", "ign.old", "ign.new"}},
    {{"-c", "-B", "-I", "^#", "ign.old", "ign.new"}},
    {{"-C1", "-I", "^#", "-I", "^$", "ign.old", "ign.new"}},
    {{"-U2", "--ignore-matching-lines=^#", "ign.old", "ign.new"}},
    {{"-e", "-B", "ign.old", "ign.new"}},
    {{"-n", "-I", "^#", "ign.new", "ign.old"}},
    {{"-q", "-I", "^#", "-B", "ign.old", "ign.new"}},
    {{"-s", "-I", "^w", "--normal", "long.old", "long.new"}},
    {{"-I", "^W", "-i", "--normal", "long.old", "long.new"}},
    // One file against several.
    {{"--normal", "--from-file=a", "b", "a", "long.old"}},
    {{"-c", "--to-file", "a", "b", "absent", "a"}},
    {{"-q", "--from-file=a", "b", "a"}},
    {{"--from-file=a"}},
    {{"--from-file=a", "--to-file=b", "a"}},
    // Mistakes.
    {{"-c", "-u", "a", "b"}},
    {{"-e", "--normal", "a", "b"}},
    {{"-C", "x", "a", "b"}},
    {{"--tabsize=0", "a", "b"}},
    {{"-I", "[", "a", "b"}},
    {{"--horizon-lines=x", "a", "b"}},
    {{"--from-file=a", "--from-file=b", "a"}},
    {{"--speed-large-files", "--horizon-lines=5", "--normal", "a", "b"}},
};

TEST(RaluForms, SameOutputAndStatusAsGnuDiff) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  test_support::expect_same_as_gnu_diff(diff, files, cases);
}

}  // namespace
