// ralu against the installed GNU diff in the unified form and on the command
// line all forms share. The changes in these files have one shortest edit
// script each, so any correct search finds the same one.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/diff_oracle.h"

namespace {

using File = test_support::OracleFile;
using Case = test_support::OracleCase;

const std::string function_old =
    "#include <stdio.h>\n"
    "\n"
    "int add(int a, int b)\n"
    "{\n"
    "  return a + b;\n"
    "}\n"
    "\n"
    "static unsigned long long a_rather_long_function_name(void)   \n"
    "{\n"
    "  int first = 1;\n"
    "  int second = 2;\n"
    "  int third = 3;\n"
    "  return first + second + third;\n"
    "}\n"
    "_private(x)\n"
    "{\n"
    "  alpha();\n"
    "  beta();\n"
    "  gamma();\n"
    "  delta();\n"
    "}\n";
const std::string function_new =
    "#include <stdio.h>\n"
    "\n"
    "int add(int a, int b)\n"
    "{\n"
    "  return b + a;\n"
    "}\n"
    "\n"
    "static unsigned long long a_rather_long_function_name(void)   \n"
    "{\n"
    "  int first = 1;\n"
    "  int second = 2;\n"
    "  int third = 30;\n"
    "  return first + second + third;\n"
    "}\n"
    "_private(x)\n"
    "{\n"
    "  alpha();\n"
    "  beta();\n"
    "  gamma(1);\n"
    "  delta();\n"
    "}\n";

// Twenty distinct lines.
std::string words(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "word" + std::to_string(i) + "\n";
  return text;
}

// Two thousand lines with a function's first line near the top: changes far
// from both ends are read from a window of the files, whose lines must still
// be numbered, given context and given their function line as in the whole.
std::string long_text(const std::map<int, std::string>& changed,
                      const std::string& line_end = "\n") {
  std::string text = "#include <stdio.h>\n\nint far_away(void)\n{\n";
  for (int i = 5; i <= 2000; ++i) {
    const auto found = changed.find(i);
    text +=
        (found != changed.end() ? found->second : "  line " + std::to_string(i) + ";") + line_end;
  }
  return text;
}

// Twenty thousand lines, some 860 KB: more than three of the chunks in which
// ralu reads two files side by side, so that the common head and tail each
// cross chunks before they end.
std::string big_text(const std::map<int, std::string>& changed) {
  std::string text;
  for (int i = 1; i <= 20'000; ++i) {
    const auto found = changed.find(i);
    text += found != changed.end() ? found->second
                                   : "entry " + std::to_string(i) + " of a file of many chunks\n";
  }
  return text;
}

// Twenty thousand indented lines, a function's first line among them at
// lines 1, 5,000 and 12,000: under -p and -F a hunk far from the function
// line before it names it all the same.
std::string functions_text(const std::map<int, std::string>& changed) {
  std::string text;
  for (int i = 1; i <= 20'000; ++i) {
    const auto found = changed.find(i);
    if (found != changed.end()) {
      text += found->second;
    } else if (i == 1 || i == 5'000 || i == 12'000) {
      text += "int function_" + std::to_string(i) + "(void)\n";
    } else {
      text += "  statement " + std::to_string(i) + " of a function;\n";
    }
  }
  return text;
}

// Lines of some 5,000 bytes (or `size`), changed where asked, with a NUL byte
// at `nul`: GNU diff calls a file binary only when one stands in the first
// block it reads (4096 bytes on most file systems).
std::string with_nul(std::size_t nul, const std::map<int, std::string>& changed = {},
                     std::size_t size = 5000) {
  std::string text;
  for (int i = 1; text.size() < size; ++i) {
    const auto found = changed.find(i);
    text += found != changed.end() ? found->second : "line " + std::to_string(i) + "\n";
  }
  text[nul] = '\0';
  return text;
}

const std::vector<File> files = {
    {"fn.old", function_old},
    {"fn.new", function_new},
    {"case.old", "Hello World\nkeep\nMiXeD\nother\n"},
    {"case.new", "hello world\nkeep\nmixed\nother2\n"},
    // Each pair of lines matches under some of -b -w -Z -E only.
    {"ws.old", "a b c\nlead\ntrail  \ntab\there\nx\ty\nab\nsame\n"},
    {"ws.new", "a  b   c\n  lead\ntrail\ntab here\nx       y\na b\nsame\n"},
    {"wsonly.old", "one two\nthree\n"},
    {"wsonly.new", "one  two \n\tthree\n"},
    // Tabs after a backspace line up only when they do both ways it can be read.
    {"tabs.old", "a\tb\bq\nab\bc\td\nzz\tz\n"},
    {"tabs.new", "a       b\bq\nab\bc      d\nzz      z\n"},
    // Tab stops every four columns: only the last line differs under -E with --tabsize=4.
    {"tab4.old", "a\tb\nab\tc\n\tlead\nx\n"},
    {"tab4.new", "a   b\nab  c\n    lead\ny\n"},
    // Empty lines as context, changed and added, and a line that is ".".
    {"empty.old", "a\n\nb\nc\n\nd\ne\n"},
    {"empty.new", "0\na\n\nb\nX\n\n\n.\ne\n"},
    {"eol.old", "one\ntwo\nthree"},
    {"eol.new", "one\ntwo\nthree  \n"},
    {"eolctx.old", "first\nlast"},
    {"eolctx.new", "FIRST\nlast \n"},
    {"crlf.old", "one\r\ntwo\r\nthree\r\nfour\r\n"},
    {"crlf.new", "one\ntwo\nTHREE\nfour\n"},
    {"crlast.old", "a\nb\r"},
    {"crlast.new", "a\nb\n"},
    {"blank.old", words(1, 20)},
    // A blank line within reach of a change, one far from any, one in the
    // trailing context of a change.
    {"blank.new", "word1\n\nword2\nword3\nWORD4\n" + words(5, 11) + "\n" + words(12, 15) +
                      "WORD16\n" + words(17, 18) + "\n" + words(19, 20)},
    // Blank lines inserted after a change, one in its trailing context and one
    // just past it.
    {"blank2.new", "word1\nWORD2\n" + words(3, 4) + "\n" + words(5, 11) + "\n" + words(12, 20)},
    {"blankonly.new", "word1\n\n" + words(2, 10) + "\n\n" + words(11, 20)},
    {"bin.old", std::string("x\0y\n", 4)},
    {"bin.new", std::string("x\0z\n", 4)},
    {"nul4095.old", with_nul(4095)},
    {"nul4095.new", with_nul(4095, {{2, "two\n"}})},
    {"nul4096.old", with_nul(4096)},
    {"nul4096.new", with_nul(4096, {{2, "two\n"}})},
    {"nul4096late.new", with_nul(4096, {{700, "seven hundred\n"}})},
    // Larger than is read whole: the middles are mapped, the NUL byte in
    // neither's head nor tail.
    {"deepnul.old", with_nul(100'000, {}, 300'000)},
    {"deepnul.new", with_nul(100'000, {{5, "five\n"}, {30'000, "far\n"}}, 300'000)},
    {"plain", "plain text\n"},
    {"sp ace", "one\n"},
    {"tab\tname", "two\n"},
    {"quo\"te", "three\n"},
    {"back\\slash", "four\n"},
    {"\xc3\xa9t\xc3\xa9", "five\n"},
    {"new\nline", "six\n"},
    {"sub/fn.old", function_new},
    {"long.old", long_text({})},
    {"long.new", long_text({{700, "  LINE 700;"}, {1500, ""}, {1990, "  line 1990 ;"}})},
    {"longcr.old", long_text({}, "\r\n")},
    {"longcr.new", long_text({{800, "  LINE 800;"}}, "\r\n")},
    {"big.old", big_text({})},
    {"big.new", big_text({{7'000, "changed\n"}, {19'990, "changed too\n"}, {20'000, "last"}})},
    {"bigmore.new", big_text({}) + "one more line\n"},
    {"funcs.old", functions_text({})},
    {"funcs.new", functions_text({{300, "  changed;\n"},
                                  {7'000, "  changed too;\n"},
                                  {11'990, "  near the next function;\n"},
                                  {12'005, "  just after it;\n"},
                                  {19'999, "  at the end;\n"}})},
    // Changes far apart, compared a region at a time under --horizon-lines:
    // at the first line, beside the edges of the chunks the pass reads, a
    // deletion and an insertion just over a run's length apart, a moved line
    // and the last line, which loses its line end.
    {"far.new", big_text({{1, "first changed\n"},
                          {6'990, "near a chunk's edge\n"},
                          {7'010, ""},
                          {7'240, "entry 7240 of a file of many chunks\ninserted\n"},
                          {12'000, "entry 12002 of a file of many chunks\n"},
                          {12'002, ""},
                          {14'100, "\n"},
                          {20'000, "entry 20000 of a file of many chunks"}})},
    {"longeol.new", long_text({{1999, "  changed;"}}).substr(0, long_text({}).size() - 1)},
};

const std::vector<Case> cases = {
    // The command line: options anywhere, "--", abbreviations, groups.
    {{"-u", "fn.old", "fn.new"}},
    {{"fn.old", "fn.new", "-u"}},
    {{"fn.old", "-U", "1", "fn.new"}},
    {{"-u", "--", "fn.old", "fn.new"}},
    {{"-U0", "fn.old", "fn.new"}},
    {{"--unified=5", "fn.old", "fn.new"}},
    {{"--unified", "fn.old", "fn.new"}},
    {{"--unif=1", "fn.old", "fn.new"}},
    {{"-u", "-U1", "fn.old", "fn.new"}},
    {{"-U1", "-U0", "fn.old", "fn.new"}},
    {{"-U", "+2", "fn.old", "fn.new"}},
    {{"-d", "-u", "fn.old", "fn.new"}},
    {{"--minimal", "-U2", "fn.old", "fn.new"}},
    {{"-u", "fn.old", "fn.old"}},
    // -NUM: the context of -u, -c and the default form.
    {{"-5u", "long.old", "long.new"}},
    {{"-u5", "long.old", "long.new"}},
    {{"-c5", "long.old", "long.new"}},
    {{"-1", "-2", "-u", "long.old", "long.new"}},
    {{"-1", "-u", "-2", "long.old", "long.new"}},
    {{"-1", "-U0", "long.old", "long.new"}},
    {{"-U0", "-u", "long.old", "long.new"}},
    {{"-5", "-U7", "long.old", "long.new"}},
    {{"-u", "-0", "long.old", "long.new"}},
    {{"-5", "--normal", "long.old", "long.new"}},
    {{"-u5c", "long.old", "long.new"}},
    // The forward ed script, short labels, blank empty lines.
    {{"-f", "empty.old", "empty.new"}},
    {{"--forward-ed", "long.old", "long.new"}},
    {{"-f", "eol.old", "eol.new"}},
    {{"-f", "fn.old", "fn.old"}},
    {{"-L", "one", "-Ltwo", "-u", "fn.old", "fn.new"}},
    {{"-L", "only", "-c", "fn.old", "fn.new"}},
    {{"--suppress-blank-empty", "-u", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "-c", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "--normal", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "-u", "-T", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "-c", "-T", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "--normal", "-T", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "-y", "empty.old", "empty.new"}},
    {{"--suppress-blank-empty", "-e", "empty.old", "empty.new"}},
    {{"--suppress-b", "--color=always", "-u", "empty.old", "empty.new"}},
    {{"--sup", "-y", "empty.old", "empty.new"}},
    {{"--palette=ad=1:de=2", "-u", "empty.old", "empty.new"}},
    {{"--palette", "-u", "--normal", "empty.old", "empty.new"}},
    // Palettes: each key, escapes, and values that cannot be read (said on
    // standard error, and the report left plain).
    {{"--color=always", "--palette=ad=1;32:de=1;31:hd=4:ln=35:rs=7", "-u", "fn.old", "fn.new"}},
    {{"--color=always", "--palette=lc=<:rc=>:ec=E", "-c", "fn.old", "fn.new"}},
    {{"--color=always", "--palette=:ad=\\e[\\x41\\101\\_^a^[^?\\q::", "--normal", "fn.old",
      "fn.new"},
     std::nullopt,
     true},
    {{"--color=always", "--palette=de=\\1234\\x414:ad=a\\:b=c:rs=", "-u", "fn.old", "fn.new"}},
    {{"--color=always", "--palette=ad=1:cn=2:zz=3", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=ad=1:bogus", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=abc=1", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=de=x\\", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=de=^", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=bogus", "-u", "fn.old", "fn.old"}, std::nullopt, true},
    {{"--color=never", "--palette=bogus", "-u", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--color=always", "--palette=bogus", "-q", "fn.old", "fn.new"}, std::nullopt, true},
    {{"--horizon-lines=", "-u", "long.old", "long.new"}},
    // --unidirectional-new-file: an absent first file is empty, an absent
    // second one is trouble.
    {{"--unidirectional-new-file", "--normal", "absent", "fn.old"}},
    {{"-P", "-u", "absent", "fn.old"}},
    {{"-P", "-q", "absent", "fn.old"}},
    {{"-P", "fn.old", "absent"}},
    {{"-P", "-s", "absent", "absent"}},
    // Function lines.
    {{"-U1", "-p", "fn.old", "fn.new"}},
    {{"-u", "--show-c-function", "fn.old", "fn.new"}},
    {{"-U0", "-p", "fn.old", "fn.new"}},
    {{"-U1", "-F", "^static", "fn.old", "fn.new"}},
    {{"-U1", "-F^_", "fn.old", "fn.new"}},
    {{"-U1", "--show-function-line=^#", "fn.old", "fn.new"}},
    {{"-U1", "--show-function-line", "add\\|beta", "fn.old", "fn.new"}},
    {{"-U0", "-p", "-F", "^#", "fn.old", "fn.new"}},
    {{"-pU1", "-F", "nothing matches this", "fn.old", "fn.new"}},
    // Colour.
    {{"--color=always", "-u", "fn.old", "fn.new"}},
    {{"--color=always", "-U1", "-p", "fn.old", "fn.new"}},
    {{"--color=always", "-u", "eol.old", "eol.new"}},
    {{"--color=never", "-u", "fn.old", "fn.new"}},
    {{"--color", "-u", "fn.old", "fn.new"}},
    {{"--color=auto", "-u", "fn.old", "fn.new"}},
    {{"--col=always", "-q", "fn.old", "fn.new"}},
    // Labels.
    {{"-u", "--label", "first label", "fn.old", "fn.new"}},
    {{"-u", "--label=L1", "--label", "L\t2", "fn.old", "fn.new"}},
    {{"-q", "--label=L1", "--label=L2", "fn.old", "fn.new"}},
    {{"--color=always", "--label=L1", "-u", "fn.old", "fn.new"}},
    // Brief and identical.
    {{"-q", "fn.old", "fn.new"}},
    {{"--brief", "fn.old", "fn.old"}},
    {{"-s", "-u", "fn.old", "fn.old"}},
    {{"-sq", "fn.old", "fn.old"}},
    {{"--report-identical-files", "-u", "fn.old", "fn.new"}},
    // Case.
    {{"-u", "case.old", "case.new"}},
    {{"-u", "-i", "case.old", "case.new"}},
    {{"--ignore-case", "-U0", "case.old", "case.new"}},
    {{"-iq", "case.old", "case.new"}},
    // White space.
    {{"-u", "ws.old", "ws.new"}},
    {{"-u", "-b", "ws.old", "ws.new"}},
    {{"-u", "-w", "ws.old", "ws.new"}},
    {{"-u", "-Z", "ws.old", "ws.new"}},
    {{"-u", "-E", "ws.old", "ws.new"}},
    {{"-u", "-bi", "ws.old", "ws.new"}},
    {{"-U1", "--ignore-all-space", "ws.old", "ws.new"}},
    {{"-U1", "--ignore-space-change", "ws.old", "ws.new"}},
    {{"-U1", "--ignore-trailing-space", "ws.old", "ws.new"}},
    {{"-U1", "--ignore-tab-expansion", "ws.old", "ws.new"}},
    {{"-u", "-E", "tabs.old", "tabs.new"}},
    {{"--normal", "--tabsize=4", "-E", "tab4.old", "tab4.new"}},
    {{"-E", "--tabsize=4", "-u", "tab4.new", "tab4.old"}},
    {{"--normal", "-E", "tab4.old", "tab4.new"}},
    {{"-u", "--tabsize=3", "-E", "tabs.old", "tabs.new"}},
    {{"-u", "-w", "wsonly.old", "wsonly.new"}},
    {{"-q", "-w", "wsonly.old", "wsonly.new"}},
    {{"-s", "-w", "-u", "wsonly.old", "wsonly.new"}},
    {{"-q", "-b", "wsonly.old", "wsonly.new"}},
    // A last line without a line end.
    {{"-u", "eol.old", "eol.new"}},
    {{"-u", "-b", "eol.old", "eol.new"}},
    {{"-u", "-w", "eol.old", "eol.new"}},
    {{"-u", "-Z", "eol.old", "eol.new"}},
    {{"-u", "-i", "eol.old", "eol.new"}},
    {{"-u", "-E", "eol.old", "eol.new"}},
    {{"-u", "-EZ", "eol.old", "eol.new"}},
    {{"-u", "-b", "eolctx.old", "eolctx.new"}},
    {{"-u", "-bi", "eolctx.old", "eolctx.new"}},
    {{"-u", "-b", "eolctx.new", "eolctx.old"}},
    // Carriage returns.
    {{"-u", "crlf.old", "crlf.new"}},
    {{"-u", "--strip-trailing-cr", "crlf.old", "crlf.new"}},
    {{"-u", "--strip-trailing-cr", "crlf.new", "crlf.old"}},
    {{"-u", "--strip-trailing-cr", "-i", "crlf.old", "crlf.new"}},
    {{"-u", "--strip", "crlast.old", "crlast.new"}},
    {{"-U0", "--strip-trailing-cr", "crlf.old", "crlf.new"}},
    {{"-U1", "--strip-trailing-cr", "-B", "crlf.old", "blank.new"}},
    {{"-u", "-w", "crlf.old", "crlf.new"}},
    // Blank lines.
    {{"-u", "blank.old", "blank.new"}},
    {{"-u", "-B", "blank.old", "blank.new"}},
    {{"-U1", "-B", "blank.old", "blank.new"}},
    {{"-U2", "-B", "blank.old", "blank.new"}},
    {{"-U0", "-B", "blank.old", "blank.new"}},
    {{"-U5", "-B", "blank.old", "blank.new"}},
    {{"-U1", "-B", "blank.new", "blank.old"}},
    {{"-u", "-B", "blank.old", "blank2.new"}},
    {{"-U8", "-B", "blank.old", "blank2.new"}},
    {{"-U2", "-B", "blank2.new", "blank.old"}},
    {{"-u", "-B", "blank.old", "blankonly.new"}},
    {{"-s", "-B", "-u", "blank.old", "blankonly.new"}},
    {{"-q", "-B", "blank.old", "blankonly.new"}},
    {{"-u", "--ignore-blank-lines", "-w", "wsonly.old", "wsonly.new"}},
    // Binary files.
    {{"-u", "bin.old", "bin.new"}},
    {{"-q", "bin.old", "bin.new"}},
    {{"-u", "bin.old", "plain"}},
    {{"-u", "bin.old", "bin.old"}},
    {{"-s", "bin.old", "bin.old"}},
    {{"-u", "-a", "bin.old", "bin.new"}},
    {{"-u", "--text", "-w", "bin.old", "bin.new"}},
    // A NUL byte makes a file binary only in its first block.
    {{"--normal", "nul4095.old", "nul4095.new"}},
    {{"-q", "nul4095.old", "nul4095.new"}},
    {{"-a", "--normal", "nul4095.old", "nul4095.new"}},
    {{"-s", "nul4095.old", "nul4095.old"}},
    {{"--normal", "nul4095.old", "nul4096.old"}},
    {{"--normal", "nul4096.old", "nul4096.new"}},
    {{"-u", "nul4096.old", "nul4096late.new"}},
    {{"-u", "deepnul.old", "deepnul.new"}},
    {{"-u", "--horizon-lines=300", "deepnul.old", "deepnul.new"}},
    {{"-q", "deepnul.old", "deepnul.new"}},
    {{"--normal", "-", "plain"}, with_nul(4096)},
    {{"--normal", "plain", "-"}, with_nul(4095)},
    // Names quoted in the header, and not elsewhere.
    {{"-u", "sp ace", "plain"}},
    {{"-u", "plain", "tab\tname"}},
    {{"-u", "quo\"te", "plain"}},
    {{"-u", "back\\slash", "plain"}},
    {{"-u", "\xc3\xa9t\xc3\xa9", "plain"}},
    {{"-u", "new\nline", "plain"}},
    {{"-q", "sp ace", "new\nline"}},
    {{"-u", "--label", "la bel", "sp ace", "plain"}},
    // Directories, absent files, standard input.
    {{"-u", "fn.old", "sub"}},
    {{"-u", "sub", "fn.old"}},
    {{"-u", "fn.old", "sub/"}},
    {{"-q", "sub", "fn.old"}},
    {{"-u", "-N", "fn.old", "absent"}},
    {{"-u", "--new-file", "absent", "fn.old"}},
    {{"-q", "-N", "absent", "fn.old"}},
    {{"-u", "fn.old", "absent"}},
    {{"-u", "-N", "absent", "also-absent"}, std::nullopt, true},
    {{"-u", "absent", "also-absent"}, std::nullopt, true},
    {{"-u", "absent", "fn.old"}, std::nullopt, true},
    {{"-u", "fn.old", "also-absent"}, std::nullopt, true},
    {{"-u", "--label=in", "-", "fn.new"}, function_old},
    {{"-u", "--label=A", "--label=B", "fn.old", "-"}, function_new},
    {{"-s", "-", "fn.old"}, function_old},
    // Changes far from both ends of long files.
    {{"-u", "long.old", "long.new"}},
    {{"-U150", "long.old", "long.new"}},
    {{"-U0", "-p", "long.old", "long.new"}},
    {{"-U1", "-F", "^int", "-B", "long.old", "long.new"}},
    {{"-u", "-b", "long.old", "long.new"}},
    {{"-u", "--strip-trailing-cr", "-p", "longcr.old", "longcr.new"}},
    {{"-u", "long.old", "longeol.new"}},
    {{"-U3", "longeol.new", "long.new"}},
    {{"-u", "--label=in", "-", "long.new"}, long_text({})},
    {{"-q", "long.old", "long.new"}},
    {{"-u", "big.old", "big.new"}},
    {{"-U300", "-p", "big.old", "big.new"}},
    {{"-u", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-U0", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-c", "--horizon-lines=1000", "far.new", "big.old"}},
    {{"--normal", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-e", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-n", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-B", "-u", "--horizon-lines=300", "big.old", "far.new"}},
    {{"-u", "--horizon-lines=1", "big.old", "far.new"}},
    {{"-y", "--suppress-common-lines", "-W", "90", "--horizon-lines=300", "big.old", "far.new"}},
    {{"--unchanged-line-format=", "--old-line-format=-%dn %L", "--new-line-format=+%dn %L",
      "--horizon-lines=300", "big.old", "far.new"}},
    {{"--unchanged-group-format=", "--changed-group-format=%df,%dl %dF,%dL %dN\n",
      "--old-group-format=%de-%dm\n", "--new-group-format=%dE-%dM\n", "--horizon-lines=300",
      "far.new", "big.old"}},
    {{"-u", "-p", "--horizon-lines=300", "funcs.old", "funcs.new"}},
    {{"-c", "-F", "^int f", "--horizon-lines=400", "funcs.old", "funcs.new"}},
    {{"-U20", "-F", "^  statement 1[0-9]*0 ", "--horizon-lines=300", "funcs.old", "funcs.new"}},
    {{"-u", "big.old", "bigmore.new"}},
    {{"-u", "bigmore.new", "big.old"}},
    // Mistakes: nothing on standard output, status 2.
    {{"-x", "fn.old", "fn.new"}},
    {{"--bogus", "fn.old", "fn.new"}},
    {{"fn.old", "fn.new", "-U"}},
    {{"-U", "x1", "fn.old", "fn.new"}},
    {{"--unified=-1", "fn.old", "fn.new"}},
    {{"--minimal=yes", "fn.old", "fn.new"}},
    {{"--color=sometimes", "fn.old", "fn.new"}},
    {{"--color=al", "fn.old", "fn.new"}},
    {{"--label=1", "--label=2", "--label=3", "fn.old", "fn.new"}},
    {{"-F", "[", "fn.old", "fn.new"}},
    {{"-u", "fn.old"}},
    {{"-u", "fn.old", "fn.new", "plain"}},
    {{"-u", "-", "sub"}, ""},
};

TEST(RaluDifferential, SameOutputAndStatusAsGnuDiff) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  test_support::expect_same_as_gnu_diff(diff, files, cases);
}

// Files that are not what their status says: those of /proc say 0 bytes and
// hold some, or cannot be read; /dev/zero never ends but is binary at once;
// standard input named twice is one file.
TEST(RaluDifferential, SpecialFilesAsGnuDiffReadsThem) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  if (!std::filesystem::exists("/proc/version") || !std::filesystem::exists("/proc/self/mem") ||
      !std::filesystem::exists("/dev/zero") || !std::filesystem::exists("/dev/stdin")) {
    GTEST_SKIP() << "no /proc, /dev/zero or /dev/stdin here";
  }
  const std::vector<File> plain = {{"plain", "plain text\n"}, {"empty", ""}};
  test_support::expect_same_as_gnu_diff(
      diff, plain,
      {
          {{"--normal", "/proc/version", "empty"}, std::nullopt, true},
          {{"-q", "/proc/version", "empty"}, std::nullopt, true},
          {{"-s", "/proc/version", "/proc/version"}, std::nullopt, true},
          {{"--normal", "/proc/self/mem", "empty"}, std::nullopt, true},
          {{"--normal", "/dev/zero", "plain"}, std::nullopt, true},
          {{"-q", "plain", "/dev/zero"}, std::nullopt, true},
          {{"-s", "-", "/dev/stdin"}, "a\n", true},
          {{"-u", "/dev/stdin", "-"}, "a\n", true},
          {{"-D", "X", "-", "/dev/stdin"}, "a\n", true},
      });
}

}  // namespace
