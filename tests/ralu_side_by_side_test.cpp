// ralu against the installed GNU diff in the side-by-side form (-y): the
// columns at many widths, tabs, control bytes and line ends in either
// column, and the options that change which lines show. The changes in these
// files have one shortest edit script each.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/diff_oracle.h"

namespace {

using File = test_support::OracleFile;
using Case = test_support::OracleCase;

// Numbered lines, some changed: long enough that --suppress-common-lines
// reads only windows of the files.
std::string numbered(int count, int changed_every) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    text += (changed_every != 0 && i % changed_every == 0 ? "CHANGED " : "line ") +
            std::to_string(i) + "\n";
  }
  return text;
}

const std::string wide(150, 'w');

const std::vector<File> files = {
    {"tabs.old", "ab\tcd\tef\tgh\n\tx\n1234567\tz\nsame\tline\there\n"},
    {"tabs.new", "AB\tCD\tEF\tGH\n\tX\n1234567\tZ\nsame\tline\there\n"},
    // Backspaces, carriage returns and other control bytes, near the edge of
    // a column and past it, on either side.
    {"ctl.old",
     "abc\bd\n12\r34\nx\fy\vz\n\x01\x02\x7fq\nxxxxxxx\t\bX\nab\t\b\b\bc\n\b\bxy\n"
     "xxxxxxxxxx\x01\x02\nxxxxxxxxxx\rab\nsame\n"},
    {"ctl.new",
     "L\nab\r\tc\nab\r\bc\nab\r\x01q\nxxxxxxxxxxxx\rab\nxxxxxxxx\f\vq\n\tc\n"
     "abcdefg\t\x01\nxxxxxxxxxx\rab\nsame\n"},
    {"utf8.old", "\xc3\xa9t\xc3\xa9 caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 done\nkeep\n"},
    {"utf8.new", "ete cafe\nkeep\n"},
    {"wide.old", wide + "\nshort\n" + wide + "\t" + wide + "\n"},
    {"wide.new", "short\n" + wide + "x\n" + wide + "\t" + wide + "\n"},
    // Last lines without a line end.
    {"eol.nonl", "x\ny"},
    {"eol.nl", "x\nz\n"},
    {"eol.nonl2", "x\nz"},
    {"eol.short", "x\n"},
    {"eol.same", "a\nx"},
    {"eol.same2", "b\nx"},
    {"empty", ""},
    // Groups that -B and -I leave out, making the common stretches unequal.
    {"blank.old", "a\nX\nb\n\nc\n"},
    {"blank.new", "a\nY\nb\nc\n"},
    {"swap.old", "a\nb\nc\nd\n"},
    {"swap.new", "a\nc\nb\nd\n"},
    {"more.old", "a\nc\nd\n"},
    {"more.new", "a\nb\nb\nc\nd\n"},
    {"case.old", "Hello  World\nkeep\n"},
    {"case.new", "hello world\nkeep\n"},
    {"crlf.old", "one\r\ntwo\r\nthree\r\n"},
    {"crlf.new", "one\ntwo\nTHREE\n"},
    {"long.old", numbered(3000, 0)},
    {"long.new", numbered(3000, 1000)},
    {"copy.old", numbered(50, 0)},
    {"copy.new", numbered(50, 0)},
    {"bin.old", std::string("x\0y\n", 4)},
    {"bin.new", std::string("x\0y\n", 4)},
};

const std::vector<Case> cases = {
    // Widths: below the gutter, small odd and even, around tab stops, large.
    {{"-y", "tabs.old", "tabs.new"}},
    {{"-y", "-W1", "tabs.old", "tabs.new"}},
    {{"-y", "-W", "2", "tabs.old", "tabs.new"}},
    {{"-y", "-W4", "tabs.old", "tabs.new"}},
    {{"-y", "-W8", "tabs.old", "tabs.new"}},
    {{"-y", "-W9", "tabs.old", "tabs.new"}},
    {{"-y", "-W20", "tabs.old", "tabs.new"}},
    {{"-y", "-W21", "tabs.old", "tabs.new"}},
    {{"-y", "-W23", "tabs.old", "tabs.new"}},
    {{"-y", "--width=30", "tabs.old", "tabs.new"}},
    {{"-y", "-W37", "tabs.old", "tabs.new"}},
    {{"-y", "-W", "400", "wide.old", "wide.new"}},
    // Tabs.
    {{"-y", "-W30", "-t", "tabs.old", "tabs.new"}},
    {{"-y", "-W37", "--expand-tabs", "tabs.old", "tabs.new"}},
    {{"-y", "-W30", "-T", "tabs.old", "tabs.new"}},
    {{"-y", "-W30", "-T", "-t", "tabs.old", "tabs.new"}},
    {{"-y", "-W30", "--tabsize=4", "tabs.old", "tabs.new"}},
    {{"-y", "-W30", "-t", "--tabsize=3", "tabs.old", "tabs.new"}},
    {{"-y", "-W17", "--tabsize=7", "tabs.old", "tabs.new"}},
    {{"-y", "-W17", "-t", "--tabsize=7", "tabs.old", "tabs.new"}},
    {{"-y", "--initial-tab", "--tabsize=1", "tabs.old", "tabs.new"}},
    // Lines wider than a column; control bytes; bytes of UTF-8.
    {{"-y", "wide.old", "wide.new"}},
    {{"-y", "-W51", "-t", "wide.old", "wide.new"}},
    {{"-y", "-W24", "ctl.old", "ctl.new"}},
    {{"-y", "-W24", "-t", "ctl.old", "ctl.new"}},
    {{"-y", "-W24", "ctl.new", "ctl.old"}},
    {{"-y", "-W40", "--tabsize=3", "ctl.new", "ctl.old"}},
    {{"-y", "-W20", "utf8.old", "utf8.new"}},
    {{"-y", "-W20", "-t", "utf8.new", "utf8.old"}},
    // --left-column and --suppress-common-lines.
    {{"-y", "-W30", "--left-column", "tabs.old", "tabs.new"}},
    {{"-y", "-W30", "--suppress-common-lines", "tabs.old", "tabs.new"}},
    {{"-y", "--suppress-common-lines", "long.old", "long.new"}},
    {{"-y", "--left-column", "--suppress-common-lines", "long.old", "long.new"}},
    {{"-y", "-W60", "--left-column", "long.old", "long.new"}},
    // Last lines without a line end, and empty files.
    {{"-y", "-W20", "eol.nonl", "eol.nl"}},
    {{"-y", "-W20", "eol.nl", "eol.nonl"}},
    {{"-y", "-W20", "eol.nonl", "eol.nonl2"}},
    {{"-y", "-W20", "eol.nonl", "eol.short"}},
    {{"-y", "-W20", "eol.short", "eol.nonl2"}},
    {{"-y", "-W20", "eol.same", "eol.same2"}},
    {{"-y", "-W20", "--left-column", "eol.same", "eol.same2"}},
    {{"-y", "empty", "empty"}},
    {{"-y", "empty", "eol.nl"}},
    {{"-y", "eol.nonl", "empty"}},
    // What -B, -I, -i and -w leave out still shows, as common lines.
    {{"-y", "-W20", "-B", "blank.old", "blank.new"}},
    {{"-y", "-W20", "-B", "--left-column", "blank.old", "blank.new"}},
    {{"-y", "-W20", "-I", "b", "swap.old", "swap.new"}},
    {{"-y", "-W20", "-I", "b", "-s", "swap.old", "swap.new"}},
    {{"-y", "-W20", "-I", "b", "more.old", "more.new"}},
    {{"-y", "-W20", "-I", "b", "more.new", "more.old"}},
    {{"-y", "-W20", "-I", "b", "--left-column", "more.old", "more.new"}},
    {{"-y", "-I", "b", "--suppress-common-lines", "-s", "more.old", "more.new"}},
    {{"-y", "-W30", "-i", "case.old", "case.new"}},
    {{"-y", "-W30", "-i", "-w", "case.old", "case.new"}},
    {{"-y", "-W30", "-i", "-w", "--suppress-common-lines", "case.old", "case.new"}},
    {{"-y", "-W30", "crlf.old", "crlf.new"}},
    {{"-y", "-W30", "--strip-trailing-cr", "crlf.old", "crlf.new"}},
    // Identical inputs, -s, -q, and -p, which -y leaves aside.
    {{"-y", "copy.old", "copy.new"}},
    {{"-y", "-s", "copy.old", "copy.old"}},
    {{"-y", "-s", "--suppress-common-lines", "copy.old", "copy.new"}},
    {{"-y", "-q", "copy.old", "copy.new"}},
    {{"-y", "-q", "tabs.old", "tabs.new"}},
    {{"-y", "-p", "-W30", "tabs.old", "tabs.new"}},
    {{"-y", "bin.old", "bin.new"}},
    {{"-y", "-a", "-W20", "bin.old", "bin.new"}},
    {{"-y", "-W20", "-", "tabs.new"}, "from\tstandard input\n"},
    // A width or tab size given twice must be the same number.
    {{"-y", "-W20", "--width=020", "tabs.old", "tabs.new"}},
    {{"-y", "-W20", "-W30", "tabs.old", "tabs.new"}},
    {{"-y", "--tabsize=4", "--tabsize=+4", "tabs.old", "tabs.new"}},
    {{"-y", "--tabsize=4", "--tabsize=5", "tabs.old", "tabs.new"}},
};

TEST(RaluSideBySide, SameOutputAndStatusAsGnuDiff) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  test_support::expect_same_as_gnu_diff(diff, files, cases);
}

}  // namespace
