// ralu's engine end to end on bytes: classes when lines share a hash, the
// common head and tail found on bytes, reading lines for output, and where
// compaction puts hunks on shapes taken from real edits.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "ralu/engine/changes.h"
#include "ralu/engine/classes.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/unified.h"
#include "tests/support/report_capture.h"

namespace {

constexpr std::uint64_t fixed_seed = 20241207;

// Distinct lines that all share one hash under the fixed seed with all but
// the low 8 bits of the hash cleared: found by trying numbered lines.
std::vector<std::string> colliding_lines(std::size_t count, const ralu::HashSettings& settings) {
  const std::uint64_t target = ralu::hash_line("line 0\n", settings);
  std::vector<std::string> lines;
  for (std::size_t n = 0; lines.size() < count; ++n) {
    std::string line = "line " + std::to_string(n) + "\n";
    if (ralu::hash_line(line, settings) == target) lines.push_back(std::move(line));
  }
  return lines;
}

TEST(RaluClasses, LinesSharingAHashAreClassedByTheirBytesInFewComparisons) {
  const ralu::HashSettings settings{fixed_seed, 0xFF};
  const std::vector<std::string> distinct = colliding_lines(1500, settings);
  std::string old_text, new_text;
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    old_text += distinct[i];
    new_text += distinct[(i * 7) % distinct.size()] + distinct[i % 10];  // repeats too
  }
  const ralu::LineTable old_lines(old_text), new_lines(new_text);
  const ralu::LineClasses classes = ralu::classify_lines(
      {old_lines, 0, old_lines.size()}, {new_lines, 0, new_lines.size()}, settings);

  std::map<std::string_view, std::uint32_t> class_of;
  std::map<std::uint32_t, std::string_view> line_of;
  const auto check = [&](const ralu::LineTable& lines, std::span<const std::uint32_t> ids) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(class_of.emplace(lines.line(i), ids[i]).first->second, ids[i]) << lines.line(i);
      EXPECT_EQ(line_of.emplace(ids[i], lines.line(i)).first->second, lines.line(i));
    }
  };
  check(old_lines, classes.old_ids);
  check(new_lines, classes.new_ids);
  EXPECT_EQ(class_of.size(), distinct.size());

  // Each line is compared with the first of its hash, then looked up in an
  // ordered table of the others: a few more than log2 of their count
  // comparisons, where comparing with every class of the hash would take
  // about a thousand times as many.
  const double lines = static_cast<double>(old_lines.size() + new_lines.size());
  EXPECT_LE(static_cast<double>(classes.comparisons), lines * (std::log2(lines) + 4));
}

// The lines the script leaves unchanged on each side, which must be equal.
void expect_valid_script(const std::string& old_text, const std::string& new_text,
                         const ralu::EditScript& script) {
  const ralu::LineTable old_lines(old_text), new_lines(new_text);
  ASSERT_EQ(script.old_line_count, old_lines.size());
  ASSERT_EQ(script.new_line_count, new_lines.size());
  std::vector<std::string_view> old_kept, new_kept;
  std::size_t i = 0, j = 0;
  for (const ralu::ChangeGroup& group : script.groups) {
    ASSERT_TRUE(group.old_begin < group.old_end || group.new_begin < group.new_end);
    for (; i < group.old_begin; ++i) old_kept.push_back(old_lines.line(i));
    for (; j < group.new_begin; ++j) new_kept.push_back(new_lines.line(j));
    i = group.old_end;
    j = group.new_end;
  }
  for (; i < old_lines.size(); ++i) old_kept.push_back(old_lines.line(i));
  for (; j < new_lines.size(); ++j) new_kept.push_back(new_lines.line(j));
  EXPECT_EQ(old_kept, new_kept) << old_text << "\n--\n" << new_text;
}

TEST(RaluEngine, ScriptsStayRightWhenEveryLineSharesOneHash) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a\nb\nc\nd\n", "a\nc\nb\nd\ne\n"},
      {"x\ny\nx\ny\nx\n", "y\nx\ny\n"},
      {"same\nsame\nother", "same\nother\nsame\n"},
  };
  for (const auto& [old_text, new_text] : cases) {
    const ralu::EditScript script =
        ralu::compare_texts(old_text, new_text, {true, ralu::HashSettings{fixed_seed, 0}});
    expect_valid_script(old_text, new_text, script);
    std::size_t changed = 0;
    for (const ralu::ChangeGroup& g : script.groups) {
      changed += g.old_end - g.old_begin + g.new_end - g.new_begin;
    }
    const ralu::EditScript usual = ralu::compare_texts(old_text, new_text, {true, std::nullopt});
    std::size_t usual_changed = 0;
    for (const ralu::ChangeGroup& g : usual.groups) {
      usual_changed += g.old_end - g.old_begin + g.new_end - g.new_begin;
    }
    EXPECT_EQ(changed, usual_changed) << old_text;
  }
}

TEST(RaluEngine, CommonEndsFoundOnBytesKeepWholeLines) {
  const std::string long_run(10000, '\n');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"abc\n", "xbc\n"},           // differ in the first byte
      {"abc\nd\n", "abc\ne\n"},     // and in the last line
      {"xab\nend", "yab\nend"},     // the common tail starts inside a line
      {"a\nb", "a\nb\n"},           // the last line gains its line end
      {"a\nb\n", "a\nb\nc"},        // one input begins with the other
      {"b\nc\n", "a\nb\nc\n"},      // and ends with it
      {long_run, long_run + "\n"},  // a long run of empty lines gains one
      {long_run + "x\n" + long_run, long_run + "y\n" + long_run},
  };
  for (const auto& [old_text, new_text] : cases) {
    const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {});
    expect_valid_script(old_text, new_text, script);
    std::size_t changed = 0;
    for (const ralu::ChangeGroup& g : script.groups) {
      changed += g.old_end - g.old_begin + g.new_end - g.new_begin;
    }
    EXPECT_LE(changed, 2u) << old_text;
  }
}

TEST(RaluLines, CursorReadsTheSameLinesAsTheTableForwardAndBack) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += std::string(static_cast<std::size_t>(i % 9), 'x') + "\n";
  text += "last";
  const ralu::LineTable table(text);
  ralu::LineCursor cursor(text);
  for (const std::size_t at : {0u, 1u, 2u, 700u, 701u, 4000u, 4999u, 5000u, 4996u, 698u, 1u, 0u}) {
    EXPECT_EQ(cursor.line(at), table.line(at)) << at;
  }
}

// The -U0 hunks of ralu's report, header aside.
std::string hunks_of(const std::string& old_text, const std::string& new_text) {
  const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {});
  test_support::StringSink sink;
  const platform::LocalTime time{2024, 1, 2, 3, 4, 5, 6, 0};
  ralu::write_unified(sink, {"a", time}, {"b", time}, old_text, new_text, script, 0);
  const std::size_t second_line = sink.text.find('\n', sink.text.find('\n') + 1);
  return sink.text.substr(second_line + 1);
}

TEST(RaluCompaction, HunksSitWhereAPersonWouldCut) {
  struct Case {
    const char* what;
    std::string old_text, new_text, hunks;
  };
  const std::vector<Case> cases = {
      {"inserted function after one that ends with the same brace", "int a() {\n  x;\n}\n",
       "int a() {\n  x;\n}\n\nint b() {\n  y;\n}\n", "@@ -3,0 +4,4 @@\n+\n+int b() {\n+  y;\n+}\n"},
      {"inserted function between two", "def a():\n    x\n\ndef c():\n    z\n",
       "def a():\n    x\n\ndef b():\n    y\n\ndef c():\n    z\n",
       "@@ -3,0 +4,3 @@\n+def b():\n+    y\n+\n"},
      {"comment swapped after a blank line",
       "#include <a.h>\n\n/* Bytes object interface */\n\n#ifndef B_H\n",
       "#include <a.h>\n\n// Bytes object interface\n\n#ifndef B_H\n",
       "@@ -3 +3 @@\n-/* Bytes object interface */\n+// Bytes object interface\n"},
      {"block inserted before a blank line",
       "from time import monotonic as _time\n\n__all__ = [\"Telnet\"]\n",
       "from time import monotonic as _time\nimport warnings\n\n"
       "warnings._deprecated(__name__, remove=(3, 13))\n\n__all__ = [\"Telnet\"]\n",
       "@@ -1,0 +2,3 @@\n+import warnings\n+\n+warnings._deprecated(__name__, remove=(3, 13))\n"},
      {"statement added at the end of a block", "if (a) {\n  f();\n}\nif (b) {\n  f();\n}\n",
       "if (a) {\n  f();\n  f();\n}\nif (b) {\n  f();\n}\n", "@@ -2,0 +3 @@\n+  f();\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(hunks_of(c.old_text, c.new_text), c.hunks) << c.what;
}

// Rewritten blocks of `block` lines each, one blank line between blocks, in
// a text whose other lines are parted by blank lines too.
std::string rewritten_blocks(const std::string& mark, std::size_t blocks, std::size_t block) {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "keep " + std::to_string(i) + "\n\n";
  for (std::size_t b = 0; b < blocks; ++b) {
    if (b > 0) text += "\n";
    for (std::size_t i = 0; i < block; ++i) {
      text += mark + " " + std::to_string(b) + "." + std::to_string(i) + "\n";
    }
  }
  return text + "tail\n";
}

TEST(RaluEngine, BlankLinesAmongRewrittenBlocksJoinThemWhenThatCostsLittle) {
  struct Case {
    const char* what;
    std::size_t blocks, block;
    bool minimal;
    std::size_t groups, extra_lines;  // beyond the shortest script
  };
  const std::vector<Case> cases = {
      {"two long blocks read as one", 2, 8, false, 1, 2},
      {"short blocks keep the blank line", 2, 2, false, 2, 0},
      {"--minimal keeps it too", 2, 8, true, 2, 0},
      {"joining four costs too much", 4, 8, false, 4, 0},
  };
  for (const Case& c : cases) {
    const std::string old_text = rewritten_blocks("old", c.blocks, c.block);
    const std::string new_text = rewritten_blocks("new", c.blocks, c.block);
    const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {c.minimal, {}});
    expect_valid_script(old_text, new_text, script);
    std::size_t changed = 0;
    for (const ralu::ChangeGroup& g : script.groups) {
      changed += g.old_end - g.old_begin + g.new_end - g.new_begin;
    }
    EXPECT_EQ(script.groups.size(), c.groups) << c.what;
    EXPECT_EQ(changed, 2 * c.blocks * c.block + c.extra_lines) << c.what;
  }
}

}  // namespace
