// Finding lines in one pass: the line starts of a scan a block at a time, its
// stops at a NUL byte and past a number of lines, views of some lines of a
// table, the engine's script from tables, writers and a cursor that jump by
// table, and both windows of a pair scanned in turn.
#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ralu/engine/changes.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/report_form.h"
#include "ralu/pair/window_lines.h"
#include "tests/support/report_capture.h"

namespace {

using namespace std::string_literals;

constexpr std::size_t block = ralu::LineScan::block_bytes;

// The lines of bytes as a plain split after each line feed finds them.
std::vector<std::string_view> split_lines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t feed = bytes.find('\n', at);
    const std::size_t end = feed == std::string_view::npos ? bytes.size() : feed + 1;
    lines.push_back(bytes.substr(at, end - at));
    at = end;
  }
  return lines;
}

std::vector<std::string_view> lines_of(const ralu::LineTable& table) {
  std::vector<std::string_view> lines;
  for (std::size_t i = 0; i < table.size(); ++i) lines.push_back(table.line(i));
  return lines;
}

// `count` lines of `length` bytes each, line feed included.
std::string repeated_lines(std::size_t count, std::size_t length, char fill = 'x') {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += std::string(length - 1, fill) + "\n";
  return text;
}

// Texts whose lines cross blocks, end right at a block's end, and grow much
// shorter after the first blocks, so that the room first projected for the
// table is outgrown.
std::vector<std::pair<std::string, std::string>> scanned_texts() {
  std::mt19937 random(20250101);
  std::string varied;
  while (varied.size() < 5 * block) {
    varied += std::string(random() % 300, static_cast<char>('a' + random() % 26));
    varied += random() % 7 == 0 ? "\r\n" : "\n";
  }
  // Short lines put from none to many line feeds in each 64 bytes, on both
  // sides of the four a round writes at once.
  std::string short_lines;
  while (short_lines.size() < 2 * block) {
    short_lines += std::string(random() % 30, 's') + "\n";
  }
  return {
      {"empty", ""},
      {"short lines over two blocks", short_lines},
      {"sixteen-byte lines: four to a round", repeated_lines(5000, 16)},
      {"thirteen-byte lines: some rounds hold five", repeated_lines(5000, 13)},
      {"one open line", "a"},
      {"one line feed", "\n"},
      {"NUL and carriage returns are bytes of lines", "a\r\nb\0c\n\rd"s},
      {"a line feed ends the first block", std::string(block - 1, 'x') + "\n" + "next\n"},
      {"an open line ends the first block", std::string(block - 1, 'x') + "\n" + "y"},
      {"one line across three blocks", std::string(3 * block + 5, 'x') + "\nz\n"},
      {"varied lines over five blocks, the last open", varied + "open"},
      {"long lines, then empty ones", repeated_lines(40, 4000) + repeated_lines(600000, 1)},
      {"empty lines, then long ones", repeated_lines(100000, 1) + repeated_lines(40, 4000)},
  };
}

TEST(RaluLineScan, FindsTheLinesOfAPlainSplitAcrossBlocks) {
  for (const auto& [what, text] : scanned_texts()) {
    ralu::LineScan scan(text, {});
    ASSERT_EQ(scan.scan_all(), ralu::LineScan::End::whole) << what;
    EXPECT_EQ(scan.scanned(), text.size()) << what;
    const ralu::LineTable table = scan.take_table();
    const std::vector<std::string_view> expected = split_lines(text);
    EXPECT_EQ(lines_of(table), expected) << what;
    EXPECT_EQ(lines_of(ralu::LineTable(text)), expected) << what;
    ASSERT_EQ(table.size(), expected.size()) << what;
    for (std::size_t i = 0; i < table.size(); ++i) {
      ASSERT_EQ(table.offset(i), static_cast<std::size_t>(expected[i].data() - text.data()))
          << what << ", line " << i;
    }
    EXPECT_EQ(table.offset(table.size()), text.size()) << what;
    EXPECT_EQ(table.bytes(), text) << what;
  }
}

// A NUL byte is one more byte of its line, wherever it falls against the
// blocks: telling binary inputs is left to the reading.
TEST(RaluLineScan, ANulByteIsPartOfItsLine) {
  const std::string text = repeated_lines(50000, 40);  // 60 blocks or so
  for (const std::size_t nul_at :
       {std::size_t{0}, std::size_t{1000}, block - 1, block, 3 * block + 17, text.size() - 1}) {
    std::string binary = text;
    binary[nul_at] = '\0';
    ralu::LineScan scan(binary, {});
    EXPECT_EQ(scan.scan_all(), ralu::LineScan::End::whole) << nul_at;
    EXPECT_EQ(lines_of(scan.take_table()), split_lines(binary)) << nul_at;
  }
}

TEST(RaluLineScan, StopsOnceTheLinesWouldPassTheLimit) {
  struct Case {
    std::string text;
    std::size_t most_lines;
    ralu::LineScan::End end;
  };
  const std::string many = repeated_lines(20000, 10);  // several blocks
  using End = ralu::LineScan::End;
  const std::vector<Case> cases = {
      {"", 0, End::whole},
      {"a", 0, End::too_many_lines},
      {"a\n", 1, End::whole},
      {"a\nb", 1, End::too_many_lines},  // the open last line counts too
      {"a\nb", 2, End::whole},
      {many, 20000, End::whole},
      {many, 19999, End::too_many_lines},
      {many + "open", 20000, End::too_many_lines},
      {many + "open", 20001, End::whole},
  };
  for (const Case& c : cases) {
    ralu::LineScan scan(c.text, {c.most_lines});
    EXPECT_EQ(scan.scan_all(), c.end) << c.text.size() << " bytes, at most " << c.most_lines;
  }
}

TEST(RaluLineTable, SomeLinesOfATableAreATableOfTheirOwn) {
  const std::string text = "zero\none\n\nthree\r\nfour\nfive";
  const ralu::LineTable table(text);
  ASSERT_EQ(table.size(), 6u);
  const std::vector<std::pair<std::size_t, std::size_t>> spans = {{0, 6}, {0, 0}, {1, 4}, {2, 3},
                                                                  {3, 6}, {5, 6}, {6, 6}};
  for (const auto& [begin, end] : spans) {
    const ralu::LineTable view = table.lines(begin, end);
    ASSERT_EQ(view.size(), end - begin);
    const std::size_t first_byte = table.offset(begin);
    EXPECT_EQ(view.bytes(),
              std::string_view(text).substr(first_byte, table.offset(end) - first_byte));
    for (std::size_t i = 0; i <= view.size(); ++i) {
      EXPECT_EQ(view.offset(i), table.offset(begin + i) - first_byte) << begin << "+" << i;
    }
    for (std::size_t i = 0; i < view.size(); ++i) {
      EXPECT_EQ(view.line(i), table.line(begin + i));
      EXPECT_EQ(view.has_line_end(i), table.has_line_end(begin + i));
    }
  }
  // A view of a view counts from its own first line.
  const ralu::LineTable inner = table.lines(1, 6).lines(2, 4);
  EXPECT_EQ(lines_of(inner), (std::vector<std::string_view>{"three\r\n", "four\n"}));
  EXPECT_EQ(inner.offset(0), 0u);
}

// A text of numbered lines, some of them edited: `edits` changes of a few
// lines each, at random places, some lines dropped and some added.
std::string edited(const std::string& text, std::mt19937& random, int edits) {
  std::vector<std::string> lines;
  for (const std::string_view line : split_lines(text)) lines.emplace_back(line);
  for (int e = 0; e < edits && !lines.empty(); ++e) {
    const std::size_t at = random() % lines.size();
    switch (random() % 3) {
      case 0:
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      case 1:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "added\n");
        break;
      default:
        lines[at] = "changed " + std::to_string(random() % 5) + "\n";
    }
  }
  std::string out;
  for (const std::string& line : lines) out += line;
  return out;
}

bool same_scripts(const ralu::EditScript& a, const ralu::EditScript& b) {
  if (a.old_line_count != b.old_line_count || a.new_line_count != b.new_line_count) return false;
  if (a.groups.size() != b.groups.size()) return false;
  for (std::size_t g = 0; g < a.groups.size(); ++g) {
    const ralu::ChangeGroup& x = a.groups[g];
    const ralu::ChangeGroup& y = b.groups[g];
    if (x.old_begin != y.old_begin || x.old_end != y.old_end || x.new_begin != y.new_begin ||
        x.new_end != y.new_end) {
      return false;
    }
  }
  return true;
}

TEST(RaluEngine, ScriptFromTablesIsTheScriptFromBytes) {
  std::mt19937 random(20250102);
  std::string base;
  for (int i = 0; i < 600; ++i) base += "line " + std::to_string(i % 150) + (i % 9 ? "\n" : "\n\n");
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"", ""},
      {"", "a\n"},
      {"a\n", ""},
      {"same\n", "same\n"},
      {"a\nb", "a\nb\n"},  // only the last line's end differs
      {base, base},
      {base, base + "more\n"},   // an empty old middle
      {"first\n" + base, base},  // an empty new middle
      {base + "open", base + "other"},
  };
  for (int edits : {1, 3, 30}) {
    for (int repeat = 0; repeat < 4; ++repeat) {
      pairs.emplace_back(edited(base, random, edits), edited(base, random, edits));
    }
  }
  for (const bool minimal : {false, true}) {
    const ralu::EngineOptions options{minimal, ralu::HashSettings{20250103}};
    for (const auto& [old_text, new_text] : pairs) {
      const ralu::LineTable old_lines(old_text), new_lines(new_text);
      const ralu::EditScript from_bytes = ralu::compare_texts(old_text, new_text, options);
      const ralu::EditScript from_tables = ralu::compare_texts(old_lines, new_lines, options);
      EXPECT_TRUE(same_scripts(from_bytes, from_tables))
          << old_lines.size() << " old lines, " << new_lines.size() << " new, minimal " << minimal;
    }
  }
}

TEST(RaluLines, CursorGivenATableReadsTheSameLinesInAnyOrder) {
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::string(static_cast<std::size_t>(i % 13), 'y') + "\n";
  text += "last";
  const ralu::LineTable table(text);
  ralu::LineCursor plain(text);
  ralu::LineCursor jumping(text, &table);
  for (const std::size_t at : {2999u, 0u, 1500u, 1501u, 1499u, 3000u, 7u, 7u, 2998u}) {
    EXPECT_EQ(jumping.line(at), plain.line(at)) << at;
  }
}

// Every form writes the same bytes whether its writer reads up to each line
// or jumps to it by table: over hunks far apart and close, the last line
// without its line end, and from the last hunk back to the first (ed).
TEST(RaluForms, EveryFormWritesTheSameReportWhenGivenLineTables) {
  std::mt19937 random(20250104);
  std::string old_text;
  for (int i = 0; i < 4000; ++i) old_text += "row " + std::to_string(i) + "\n";
  std::string new_text = edited(old_text, random, 12) + "no line end";
  const ralu::LineTable old_lines(old_text), new_lines(new_text);
  const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {});
  const platform::LocalTime time{2025, 1, 2, 3, 4, 5, 6, 0};
  using ralu::OutputForm;
  for (const OutputForm form :
       {OutputForm::unified, OutputForm::normal, OutputForm::context, OutputForm::ed,
        OutputForm::rcs, OutputForm::side_by_side, OutputForm::formatted}) {
    for (const std::size_t context : {std::size_t{0}, std::size_t{3}, std::size_t{40}}) {
      ralu::ReportForm report;
      report.form = form;
      report.context = context;
      const auto written = [&](const ralu::LineTable* old_table, const ralu::LineTable* new_table) {
        ralu::ReportStyle style;
        style.old_lines = old_table;
        style.new_lines = new_table;
        test_support::StringSink sink;
        ralu::write_report(sink, report, {ralu::FileLabel{"a", time}, ralu::FileLabel{"b", time}},
                           old_text, new_text, script, style);
        return sink.text;
      };
      const std::string read_through = written(nullptr, nullptr);
      EXPECT_FALSE(read_through.empty());
      EXPECT_EQ(written(&old_lines, &new_lines), read_through)
          << static_cast<int>(form) << ", context " << context;
    }
  }
}

// An input with too many lines is named, the old before the new; NUL bytes
// are bytes of lines (whether a pair is binary is told by its first blocks).
TEST(RaluWindowLines, AnInputWithTooManyLinesIsNamedTheOldFirst) {
  struct Case {
    const char* what;
    std::string old_text, new_text;
    std::optional<std::size_t> crowded;
  };
  const std::string few = repeated_lines(50, 8);
  const std::string many = repeated_lines(30000, 8);  // several blocks, past the limit of 1000
  const std::vector<Case> cases = {
      {"both within the limit", few, few + "x", std::nullopt},
      {"both crowded", many, many, 0},
      {"only the new input crowded", few, many, 1},
      {"only the old input crowded", many, few, 0},
      {"NUL bytes in lines", few + std::string(1, '\0'), std::string(1, '\0') + few, std::nullopt},
  };
  for (const Case& c : cases) {
    ralu::WindowLines found = ralu::find_window_lines({c.old_text, c.new_text}, 1000);
    EXPECT_EQ(found.crowded, c.crowded) << c.what;
    const bool has_lines = !c.crowded;
    ASSERT_EQ(found.tables[0].has_value(), has_lines) << c.what;
    ASSERT_EQ(found.tables[1].has_value(), has_lines) << c.what;
    if (!has_lines) continue;
    EXPECT_EQ(lines_of(*found.tables[0]), split_lines(c.old_text)) << c.what;
    EXPECT_EQ(lines_of(*found.tables[1]), split_lines(c.new_text)) << c.what;
  }
}

}  // namespace
