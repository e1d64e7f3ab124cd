// ralu against the installed GNU diff in the forms of -D and of the line and
// group formats. The changes in these files have one shortest edit script
// each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/diff_oracle.h"

namespace {

using File = test_support::OracleFile;
using Case = test_support::OracleCase;

const std::vector<File> files = {
    // A deletion at the start, a change in the middle, an insertion at the end.
    {"a", "x\ny\na\nb\nc\n"},
    {"b", "a\nB\nc\nz\n"},
    {"start", "X\nb\nc\n"},
    {"copy", "x\ny\na\nb\nc\n"},
    {"noeol.old", "a\nb"},
    {"noeol.new", "a\nc"},
    {"eol.new", "a\nb\n"},
    {"empty", ""},
    {"blank", "\n"},
    {"tabs.old", "a\tb\nab\r\tc\n\b\tq\nx\by\tz\n"},
    {"tabs.new", "a\tB\nab\r\tc\n\b\tq\nx\by\tz\n"},
    // A blank line moved and a comment changed around a real change, and the
    // case of a word.
    {"ignore.old", "a\n\nb\n# one\nc\nd\n"},
    {"ignore.new", "a\nb\n\n# two\nc\nD\n"},
    {"blankend.old", "a\n\n"},
    {"blankend.new", "a\n"},
    {"case.old", "Hello  there\nsame\n"},
    {"case.new", "hello there\nsame\n"},
    {"bin.old", std::string("a\0b\n", 4)},
    {"bin.copy", std::string("a\0b\n", 4)},
};

// Every letter of a group format, printed.
const std::string letters = "[e%de f%df l%dl m%dm n%dn E%dE F%dF L%dL M%dM N%dN]";

// One group format for every kind of group, each showing `body`; `tail` is
// the other options and the files.
Case groups(const std::string& body, std::vector<std::string> tail = {"a", "b"}) {
  std::vector<std::string> args = {
      "--old-group-format=O" + body + "\n", "--new-group-format=N" + body + "\n",
      "--changed-group-format=C" + body + "\n", "--unchanged-group-format=U" + body + "\n"};
  args.insert(args.end(), tail.begin(), tail.end());
  return {args};
}

const std::vector<Case> cases = {
    // -D, and its lines without a line end.
    {{"-D", "NAME", "a", "b"}},
    {{"--ifdef=N", "start", "b"}},
    {{"-DX", "noeol.old", "noeol.new"}},
    {{"-DX", "noeol.old", "eol.new"}},
    {{"-DX", "eol.new", "noeol.old"}},
    {{"-DX", "empty", "a"}},
    {{"-DX", "a", "empty"}},
    // Equal inputs are written whole, and the status says they are equal.
    {{"-DX", "a", "copy"}},
    {{"-DX", "a", "a"}},
    {{"-s", "-DX", "a", "copy"}},
    {{"-q", "-DX", "a", "copy"}},
    {{"-q", "-DX", "a", "b"}},
    {{"-DX", "empty", "empty"}},
    {{"-DX", "bin.old", "bin.copy"}},
    {{"-DX", "bin.old", "a"}},
    // Line formats, and the defaults of those not given.
    {{"--line-format=%dn:%L", "a", "b"}},
    {{"--line-format=[%l]", "noeol.old", "noeol.new"}},
    {{"--line-format=[%L]", "noeol.old", "eol.new"}},
    {{"--old-line-format=-%l\n", "--new-line-format=+%L", "a", "b"}},
    {{"--unchanged-line-format=", "--old-line-format=%5dn %L", "a", "b"}},
    {{"--line-format=%(n=1?a:b)%<%de%dN%q%", "a", "b"}},
    // Group formats: the letters, and the defaults of those not given.
    groups(letters + "%<%>%="),
    groups(letters, {"--line-format=%dn%c'\\n'", "a", "b"}),
    {{"--old-group-format=(%<)", "a", "b"}},
    {{"--new-group-format=(%>)", "a", "b"}},
    {{"--changed-group-format=(%<|%>)", "a", "b"}},
    {{"--old-group-format=%", "--new-group-format=%>", "a", "b"}},
    {{"--unchanged-group-format=U[%<|%>|%=]", "--changed-group-format=[%=]", "a", "b"}},
    {{"--unchanged-group-format=U%dF", "start", "b"}},
    // printf's flags, widths, precisions and bases, and the number forms diff refuses.
    groups("%5dn|%-5dN|%05dl|%.3dm|%5.3dF|%-05dL|%'dM|%.dE|%.0dN|%05.0dN|%0-4dn"),
    groups("%xm|%Xm|%om|%08.3xM|%300dm|%.300dm|%99999999999999999999dm|%2147483648dm"),
    groups("%+dn|% dn|%#xn|%un|%5n|%dq|%d|%5|%-|%.|%5.3.2dn|%5-dn|%l|%L|%5<"),
    // Characters and percents.
    groups("%c'x'%c':'%c'\\0'%c'\\101'%c'\\477'%c'\\1011'%c'\\8'%c'\\'%c'''%c'ab'%c%%%"),
    groups("%c'"),
    groups("%c'\\7"),
    groups("%"),
    // Conditions: nested, with escapes inside, unclosed, refused.
    groups("%(n=1?one:%(N=0?none:%dN))%(N=1?:s)"),
    groups("%(n=0?%(N=0?both:old):%(N=1?%c':'%%%dN:many))"),
    groups("%(1=n?Y:N)%(01=1?Y:N)%(9223372036854775807=9223372036854775807?Y:N)"),
    groups("%(n=1?a)b:c:d)%(n=0?x:y(z)w)"),
    groups("%(n=1?%:x)%(n=0?%:x:y)%(n=0?%(N=1?p:q):r)"),
    groups("%(-1=-1?Y:N)%(n1?Y:N)%(q=1?Y:N)%(9223372036854775808=1?Y:N)"),
    groups("%(n=1?then"),
    groups("%(n=0?then:else"),
    groups("%(n=0?%(N=1?x"),
    // Tabs: -t expands them in the lines only; -T changes nothing here.
    {{"-t", "-DX", "tabs.old", "tabs.new"}},
    {{"--expand-tabs", "--tabsize=3", "--line-format=\t%l|%L", "tabs.old", "tabs.new"}},
    {{"-T", "-DX", "tabs.old", "tabs.new"}},
    // Ignored changes stay among the unchanged lines.
    {{"-B", "-DX", "ignore.old", "ignore.new"}},
    {{"-I", "^#", "-DX", "ignore.old", "ignore.new"}},
    groups(letters + "{%<|%>|%=}", {"-B", "-I", "^#", "ignore.old", "ignore.new"}),
    groups(letters + "{%<|%>}", {"-B", "empty", "blank"}),
    {{"-B", "-DX", "blankend.old", "blankend.new"}},
    {{"-B", "-s", "-DX", "blankend.old", "blankend.new"}},
    {{"-B", "-q", "-DX", "blankend.old", "blankend.new"}},
    {{"-i", "-w", "-DX", "case.old", "case.new"}},
    {{"-i", "-DX", "case.old", "case.new"}},
    {{"-w", "--unchanged-group-format={%<|%>}", "case.old", "case.new"}},
};

TEST(RaluFormatted, SameOutputAndStatusAsGnuDiff) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  test_support::expect_same_as_gnu_diff(diff, files, cases);
}

}  // namespace
