// The stages of ralu's engine, each on its own: splitting lines, classes, the
// edit-script search against a brute-force reference, hunk assembly, and the
// header's time format.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/pattern.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/classes.h"
#include "ralu/engine/edit_script.h"
#include "ralu/engine/edit_search.h"
#include "ralu/engine/frequent_lines.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/unified.h"
#include "ralu/pair/ignored_changes.h"
#include "tests/support/report_capture.h"

namespace {

using Ids = std::vector<std::uint32_t>;
using Marks = std::vector<std::uint8_t>;

std::vector<std::string> lines_of(const ralu::LineTable& table) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < table.size(); ++i) lines.emplace_back(table.line(i));
  return lines;
}

TEST(RaluLines, SplitAfterLineFeedsOnly) {
  using namespace std::string_literals;
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a\n"}},
      {"\n\n", {"\n", "\n"}},
      {"a\r\nb\0c\n\rd"s, {"a\r\n", "b\0c\n"s, "\rd"}},
  };
  for (const auto& [bytes, expected] : cases) {
    const ralu::LineTable table(bytes);
    EXPECT_EQ(lines_of(table), expected) << bytes;
    for (std::size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(table.has_line_end(i), table.line(i).back() == '\n');
    }
  }
}

TEST(RaluClasses, EqualBytesShareAClassAndNothingElseDoes) {
  // Enough distinct lines to make the table grow several times.
  std::string old_text, new_text;
  for (int i = 0; i < 3000; ++i) {
    old_text += "line " + std::to_string(i % 1700) + (i % 3 == 0 ? "\r\n" : "\n");
    new_text += "line " + std::to_string((i * 7) % 2100) + (i % 5 == 0 ? "\r\n" : "\n");
  }
  new_text += std::string("line 1\0", 7);
  const ralu::LineTable old_lines(old_text), new_lines(new_text);
  const ralu::LineClasses classes = ralu::classify_lines(
      {old_lines, 0, old_lines.size()}, {new_lines, 0, new_lines.size()}, {20240305});

  std::map<std::string, std::uint32_t> seen;
  std::map<std::uint32_t, std::uint8_t> presence;
  const auto check = [&](const ralu::LineTable& table, std::span<const std::uint32_t> ids,
                         std::uint8_t side) {
    ASSERT_EQ(ids.size(), table.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
      const auto [entry, added] = seen.emplace(std::string(table.line(i)), ids[i]);
      EXPECT_EQ(entry->second, ids[i]) << table.line(i);
      presence[ids[i]] |= side;
    }
  };
  check(old_lines, classes.old_ids, ralu::in_old);
  check(new_lines, classes.new_ids, ralu::in_new);
  std::map<std::uint32_t, std::string> by_id;
  for (const auto& [line, id] : seen) EXPECT_TRUE(by_id.emplace(id, line).second) << line;
  ASSERT_EQ(classes.presence.size(), seen.size());
  for (const auto& [id, bits] : presence) EXPECT_EQ(classes.presence[id], bits);
}

// A short line is hashed from a load past its end where the input goes on,
// and from a copy where it ends: either way the same line is one class.
TEST(RaluClasses, ALineIsOneClassWhereverItStandsInItsInput) {
  for (std::size_t length = 0; length <= 34; ++length) {
    for (const bool line_end : {true, false}) {
      std::string line(length, 'q');
      for (std::size_t i = 0; i < length; ++i) line[i] = static_cast<char>('a' + i % 26);
      if (line_end) line += '\n';
      if (line.empty()) continue;
      // First in one input, with a long line after it; last in the other.
      const std::string first = line + (line_end ? "" : "\n") + std::string(40, 'z') + "\n";
      const std::string last = std::string(40, 'z') + "\n" + line;
      const ralu::LineTable first_lines(first), last_lines(last);
      const std::size_t last_line = last_lines.size() - 1;
      const ralu::LineClasses classes = ralu::classify_lines(
          {first_lines, 0, first_lines.size()}, {last_lines, 0, last_lines.size()}, {7});
      if (line_end) {
        EXPECT_EQ(classes.old_ids[0], classes.new_ids[last_line]) << length;
      } else {
        // Without its line end, the last line is not the first with one.
        EXPECT_NE(classes.old_ids[0], classes.new_ids[last_line]) << length;
      }
      EXPECT_EQ(classes.old_ids[1], classes.new_ids[0]) << length;
    }
  }
}

// Lines whose tags share few bits pile into long runs of slots, which the
// table must keep findable as it doubles in place, and whose tags collide,
// which full hashes must tell apart.
TEST(RaluClasses, CrowdedSlotsKeepEveryClassFindableAsTheTableGrows) {
  // Tags of 12 bits: every line lands in the first 4096 slots. Tags of 4
  // bits high in the word: a few slots far apart, with runs past the end.
  for (const std::uint64_t mask : {0xFFFFFFFF00000FFFULL, 0xFFFFFFFF0000F000ULL}) {
    std::string old_text, new_text;
    std::set<std::string> distinct;
    for (int i = 0; i < 6000; ++i) {
      const std::string old_line = "line " + std::to_string(i) + "\n";
      const std::string new_line = "line " + std::to_string((i * 5) % 7000) + "\n";
      old_text += old_line;
      new_text += new_line;
      distinct.insert(old_line);
      distinct.insert(new_line);
    }
    const ralu::LineTable old_lines(old_text), new_lines(new_text);
    const ralu::LineClasses classes = ralu::classify_lines(
        {old_lines, 0, old_lines.size()}, {new_lines, 0, new_lines.size()}, {20240305, mask});
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
    EXPECT_EQ(class_of.size(), distinct.size()) << std::hex << mask;
  }
}

// Length of a longest common subsequence, by dynamic programming.
std::size_t lcs_length(const Ids& a, const Ids& b) {
  std::vector<std::size_t> row(b.size() + 1, 0);
  for (const std::uint32_t x : a) {
    std::size_t diagonal = 0;
    for (std::size_t j = 0; j < b.size(); ++j) {
      const std::size_t above = row[j + 1];
      row[j + 1] = x == b[j] ? diagonal + 1 : std::max(row[j], above);
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Whether the unmarked entries of both sequences are the same sequence, which
// makes the marks a valid edit script; returns its length in *cost.
bool is_edit_script(const Ids& a, const Ids& b, const Marks& a_marks, const Marks& b_marks,
                    std::size_t* cost) {
  Ids a_kept, b_kept;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a_marks[i] == 0) a_kept.push_back(a[i]);
  }
  for (std::size_t j = 0; j < b.size(); ++j) {
    if (b_marks[j] == 0) b_kept.push_back(b[j]);
  }
  *cost = (a.size() - a_kept.size()) + (b.size() - b_kept.size());
  return a_kept == b_kept;
}

Ids random_ids(std::mt19937& rng, std::size_t size, std::uint32_t alphabet) {
  Ids ids(size);
  for (auto& id : ids) id = static_cast<std::uint32_t>(rng() % alphabet);
  return ids;
}

// b is a with `edits` random single-entry insertions, deletions and changes.
Ids edited(std::mt19937& rng, Ids b, std::size_t edits, std::uint32_t alphabet) {
  for (std::size_t e = 0; e < edits; ++e) {
    const std::size_t at = b.empty() ? 0 : rng() % b.size();
    const auto value = static_cast<std::uint32_t>(rng() % alphabet);
    switch (rng() % 3) {
      case 0:
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), value);
        break;
      case 1:
        if (!b.empty()) b.erase(b.begin() + static_cast<std::ptrdiff_t>(at));
        break;
      default:
        if (!b.empty()) b[at] = value;
        break;
    }
  }
  return b;
}

TEST(RaluSearch, ShortestScriptOnSmallRandomSequences) {
  std::mt19937 rng(20240305);
  for (int round = 0; round < 3000; ++round) {
    const auto alphabet = static_cast<std::uint32_t>(1 + rng() % 6);
    const Ids a = random_ids(rng, rng() % 25, alphabet);
    const Ids b = round % 2 == 0 ? random_ids(rng, rng() % 25, alphabet)
                                 : edited(rng, a, rng() % 8, alphabet);
    const std::size_t shortest = a.size() + b.size() - 2 * lcs_length(a, b);
    for (const bool minimal : {true, false}) {  // no cap is reached at this size
      Marks a_marks(a.size(), 0), b_marks(b.size(), 0);
      ralu::mark_edits(a, b, a_marks, b_marks, minimal);
      std::size_t cost = 0;
      ASSERT_TRUE(is_edit_script(a, b, a_marks, b_marks, &cost)) << "round " << round;
      ASSERT_EQ(cost, shortest) << "round " << round;
    }
  }
}

TEST(RaluSearch, BoundedSearchGivesUpOnlyWhenNoScriptIsShortEnough) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 2000; ++round) {
    const auto alphabet = static_cast<std::uint32_t>(1 + rng() % 6);
    const Ids a = random_ids(rng, rng() % 25, alphabet);
    const Ids b = edited(rng, a, rng() % 8, alphabet);
    const std::size_t shortest = a.size() + b.size() - 2 * lcs_length(a, b);
    Marks plain_a(a.size(), 0), plain_b(b.size(), 0);
    ralu::mark_edits(a, b, plain_a, plain_b, false);
    // Within the bound, the script is the one an unbounded search marks.
    for (const std::size_t most : {shortest, shortest + 1, shortest + 40}) {
      Marks a_marks(a.size(), 0), b_marks(b.size(), 0);
      ASSERT_TRUE(ralu::mark_edits_within(a, b, a_marks, b_marks, false, most))
          << "round " << round << ", most " << most;
      ASSERT_EQ(a_marks, plain_a) << "round " << round;
      ASSERT_EQ(b_marks, plain_b) << "round " << round;
    }
    if (shortest > 0) {
      Marks a_marks(a.size(), 0), b_marks(b.size(), 0);
      EXPECT_FALSE(ralu::mark_edits_within(a, b, a_marks, b_marks, false, shortest - 1))
          << "round " << round;
    }
  }
}

TEST(RaluSearch, ChangeGroupsAreTheRunsOfMarks) {
  struct Case {
    Marks old_marks, new_marks;
    std::size_t first;
    std::vector<std::array<std::size_t, 4>> groups;  // old begin, end, new begin, end
  };
  const std::vector<Case> cases = {
      {{0, 0}, {0, 0}, 0, {}},
      {{}, {1, 1}, 0, {{0, 0, 0, 2}}},
      {{1, 0, 1}, {0, 1, 1}, 0, {{0, 1, 0, 0}, {2, 3, 1, 3}}},
      {{0, 1, 1, 0}, {0, 0}, 10, {{11, 13, 11, 11}}},
      {{0, 0, 1}, {1, 0, 0}, 5, {{5, 5, 5, 6}, {7, 8, 8, 8}}},
  };
  std::vector<ralu::ChangeGroup> groups{{9, 9, 9, 9}};  // emptied first
  for (const Case& c : cases) {
    ralu::collect_change_groups(c.old_marks, c.new_marks, c.first, groups);
    std::vector<std::array<std::size_t, 4>> found;
    for (const ralu::ChangeGroup& g : groups) {
      found.push_back({g.old_begin, g.old_end, g.new_begin, g.new_end});
    }
    EXPECT_EQ(found, c.groups) << "first " << c.first;
  }
}

TEST(RaluSearch, CostCapKeepsScriptsValidAndShort) {
  // Many scattered edits among few distinct values push the cost well past
  // the cap, the hard case for the search.
  std::mt19937 rng(7);
  for (int round = 0; round < 4; ++round) {
    const Ids a = random_ids(rng, 3000, 4 + round * 10);
    const Ids b = edited(rng, a, 700, 4 + round * 10);
    const std::size_t shortest = a.size() + b.size() - 2 * lcs_length(a, b);
    Marks a_marks(a.size(), 0), b_marks(b.size(), 0);
    ralu::mark_edits(a, b, a_marks, b_marks, true);
    std::size_t cost = 0;
    ASSERT_TRUE(is_edit_script(a, b, a_marks, b_marks, &cost));
    EXPECT_EQ(cost, shortest) << "round " << round;

    std::fill(a_marks.begin(), a_marks.end(), 0);
    std::fill(b_marks.begin(), b_marks.end(), 0);
    ralu::mark_edits(a, b, a_marks, b_marks, false);
    ASSERT_TRUE(is_edit_script(a, b, a_marks, b_marks, &cost));
    EXPECT_LE(cost, shortest + shortest / 20) << "round " << round;
  }
}

// The marks an edit script stands for, one a line.
void marks_of_script(const ralu::EditScript& script, Marks& old_marks, Marks& new_marks) {
  old_marks.assign(script.old_line_count, 0);
  new_marks.assign(script.new_line_count, 0);
  for (const ralu::ChangeGroup& group : script.groups) {
    std::fill(old_marks.begin() + static_cast<std::ptrdiff_t>(group.old_begin),
              old_marks.begin() + static_cast<std::ptrdiff_t>(group.old_end), 1);
    std::fill(new_marks.begin() + static_cast<std::ptrdiff_t>(group.new_begin),
              new_marks.begin() + static_cast<std::ptrdiff_t>(group.new_end), 1);
  }
}

// Which lines of an input are marked, given each line's kind as a letter:
// 'u' occurs nowhere in the other input, 'f' often, 'o' once.
std::string frequent_marks(const std::string& kinds) {
  const std::vector<std::uint32_t> count_in_other = {0, 100, 1};  // by class: u, f, o
  std::vector<std::uint32_t> ids;
  for (const char kind : kinds) ids.push_back(kind == 'u' ? 0 : kind == 'f' ? 1 : 2);
  std::vector<std::uint8_t> changed(ids.size(), 0);
  ralu::mark_frequent_lines_among_changes(ids, count_in_other, 100, changed);
  std::string marks;
  for (const std::uint8_t mark : changed) marks += mark != 0 ? 'x' : '.';
  return marks;
}

TEST(RaluFrequentLines, MarkedOnlyAmongEnoughUnpairedLinesOnBothSides) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"uuuufuuuu", "....x...."},
      {"uuuuffuuuuuuuuuuu", "....xx..........."},    // 2 of 17 is under a seventh
      {"uuuffuuu", "........"},                      // 2 of 8 is not
      {"ofuuuuuuuu", ".........."},                  // nothing unpaired before it
      {"fuuuuuuuu", "........."},                    // nor at the start
      {"uuuuuuuuofuuuuuuuu", ".................."},  // an ordinary line bounds the look
      {"uuuuuuuuoouuuuuuuu", ".................."},  // only frequent lines are marked
  };
  for (const auto& [kinds, marks] : cases) EXPECT_EQ(frequent_marks(kinds), marks) << kinds;
  // Lines beyond 100 on each side are not looked at: counted, the 400
  // frequent lines there would outweigh the 200 unpaired ones.
  const std::string frequent_run(200, 'f'), unpaired_run(100, 'u');
  const std::string wide = frequent_run + unpaired_run + "f" + unpaired_run + frequent_run;
  std::string marked(wide.size(), '.');
  marked[300] = 'x';
  EXPECT_EQ(frequent_marks(wide), marked);
}

// The marks as the rule reads, line by line: the unpaired and frequent lines
// around a frequent one, up to an ordinary line or 100 lines on either side.
std::string frequent_marks_by_rule(const std::string& kinds) {
  std::string marks(kinds.size(), '.');
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] != 'f') continue;
    std::size_t begin = i;
    while (begin > 0 && i - (begin - 1) <= 100 && kinds[begin - 1] != 'o') --begin;
    std::size_t end = i + 1;
    while (end < kinds.size() && end - (i + 1) < 100 && kinds[end] != 'o') ++end;
    const auto unpaired = [&](std::size_t from, std::size_t to) {
      return std::count(kinds.begin() + static_cast<std::ptrdiff_t>(from),
                        kinds.begin() + static_cast<std::ptrdiff_t>(to), 'u');
    };
    const auto before = static_cast<std::size_t>(unpaired(begin, i));
    const auto after = static_cast<std::size_t>(unpaired(i + 1, end));
    const std::size_t around = end - begin;
    if (before > 0 && after > 0 && (around - before - after) * 7 < around) marks[i] = 'x';
  }
  return marks;
}

TEST(RaluFrequentLines, MarksWhatTheRuleSaysOnRandomInputs) {
  std::mt19937 random(26);
  for (int round = 0; round < 300; ++round) {
    // Ordinary lines from none to many, so that stretches run past the
    // range as well as end at an ordinary line; frequent ones from few to
    // half, on both sides of the share.
    const unsigned ordinary_in = std::array<unsigned, 3>{1000000, 150, 15}[round % 3];
    const unsigned frequent_in = std::array<unsigned, 3>{20, 6, 2}[round / 3 % 3];
    std::string kinds(random() % 500, 'u');
    for (char& kind : kinds) {
      if (random() % ordinary_in == 0) {
        kind = 'o';
      } else if (random() % frequent_in == 0) {
        kind = 'f';
      }
    }
    ASSERT_EQ(frequent_marks(kinds), frequent_marks_by_rule(kinds)) << kinds;
  }
}

TEST(RaluChanges, LinesOfOneInputOnlyAndCommonEndsAreHandledExactly) {
  // Unique lines in the middle are set aside before the search; the marks
  // must still form a shortest script over the whole inputs.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "a\nb\n"},
      {"a\nb\n", ""},
      {"a\nb\nc\n", "a\nb\nc"},
      {"h\nx1\ny\nx2\ny\nt\n", "h\ny\nz1\ny\nz2\nt\n"},
      {"a\nb\na\nb\na\n", "b\na\nb\na\nb\n"},
      {"same\nsame\nsame\n", "same\nsame\n"},
  };
  for (const auto& [old_text, new_text] : cases) {
    const ralu::LineTable old_lines(old_text), new_lines(new_text);
    std::map<std::string, std::uint32_t> numbers;
    const auto ids_of = [&](const ralu::LineTable& table) {
      Ids ids;
      for (const std::string& line : lines_of(table)) {
        ids.push_back(numbers.emplace(line, numbers.size()).first->second);
      }
      return ids;
    };
    const Ids a = ids_of(old_lines), b = ids_of(new_lines);
    const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {});
    Marks old_marks, new_marks;
    marks_of_script(script, old_marks, new_marks);
    std::size_t cost = 0;
    ASSERT_TRUE(is_edit_script(a, b, old_marks, new_marks, &cost)) << old_text;
    EXPECT_EQ(cost, a.size() + b.size() - 2 * lcs_length(a, b)) << old_text;
  }
}

// A script from pictures of both inputs: '-' or '+' a changed line, '.' an
// unchanged one.
ralu::EditScript script_of(const std::string& old_picture, const std::string& new_picture) {
  ralu::EditScript script{{}, old_picture.size(), new_picture.size()};
  std::size_t i = 0, j = 0;
  for (;;) {
    while (i < old_picture.size() && j < new_picture.size() && old_picture[i] == '.' &&
           new_picture[j] == '.') {
      ++i;
      ++j;
    }
    if (i == old_picture.size() && j == new_picture.size()) return script;
    ralu::ChangeGroup group{i, i, j, j};
    while (i < old_picture.size() && old_picture[i] != '.') ++i;
    while (j < new_picture.size() && new_picture[j] != '.') ++j;
    group.old_end = i;
    group.new_end = j;
    script.groups.push_back(group);
  }
}

TEST(RaluHunks, ContextAroundChangesAndMergingWhereItTouches) {
  struct Case {
    std::string old_picture, new_picture;
    std::size_t context;
    std::vector<std::array<std::size_t, 4>> expected;  // old begin and end, new begin and end
  };
  const std::vector<Case> cases = {
      {"....", "....", 3, {}},
      {"..-..", "....", 1, {{1, 4, 1, 3}}},
      {"-..........", "+..........", 3, {{0, 4, 0, 4}}},
      {"..........-", "..........", 3, {{7, 11, 7, 10}}},
      // Six unchanged lines between two changes: the contexts touch.
      {"..-......-..", "..+......+..", 3, {{0, 12, 0, 12}}},
      // Seven: they do not.
      {"..-.......-..", "..+.......+..", 3, {{0, 6, 0, 6}, {7, 13, 7, 13}}},
      {".-.-.", ".+..", 0, {{1, 2, 1, 2}, {3, 4, 3, 3}}},
      {"..--..", "..+++..", SIZE_MAX, {{0, 6, 0, 7}}},
      {"", "++", 3, {{0, 0, 0, 2}}},
  };
  for (const Case& c : cases) {
    const std::vector<ralu::Hunk> hunks =
        test_support::assemble_hunks(script_of(c.old_picture, c.new_picture), c.context);
    ASSERT_EQ(hunks.size(), c.expected.size()) << c.old_picture << " " << c.new_picture;
    for (std::size_t h = 0; h < hunks.size(); ++h) {
      const std::array<std::size_t, 4> got = {hunks[h].old_begin, hunks[h].old_end,
                                              hunks[h].new_begin, hunks[h].new_end};
      EXPECT_EQ(got, c.expected[h]) << c.old_picture;
    }
  }
}

TEST(RaluHunks, IgnoredGroupsJoinOnlyWithinTrailingContextAndAloneAreLeftOut) {
  struct Case {
    std::string old_picture, new_picture;
    std::string ignored;  // 'i' for each group marked ignored, '.' for the others
    std::size_t context;
    // old begin and end, new begin and end, first group and end group
    std::vector<std::array<std::size_t, 6>> expected;
  };
  const std::vector<Case> cases = {
      {"..-..", "..+..", "i", 1, {}},
      {"..-..", "..+..", ".", 1, {{1, 4, 1, 4, 0, 1}}},
      // Three lines apart with two of context: the contexts touch, but an
      // ignored group joins only when it lies within the trailing context.
      {"-...-", "+...+", "..", 2, {{0, 5, 0, 5, 0, 2}}},
      {"-...-", "+...+", ".i", 2, {{0, 3, 0, 3, 0, 1}}},
      {"-..-", "+..+", ".i", 2, {{0, 3, 0, 3, 0, 1}}},
      {"-.-", "+.+", ".i", 2, {{0, 3, 0, 3, 0, 2}}},
      // An ignored group opens a hunk that a shown group joins.
      {"-.-", "+.+", "i.", 2, {{0, 3, 0, 3, 0, 2}}},
      {"-..-..-", "+..+..+", "i.i", 1, {{0, 5, 0, 5, 0, 2}}},
      {"-..-..-", "+..+..+", "iii", 1, {}},
      {"-..-..-", "+..+..+", ".i.", 0, {{0, 1, 0, 1, 0, 1}, {6, 7, 6, 7, 2, 3}}},
  };
  for (const Case& c : cases) {
    ralu::EditScript script = script_of(c.old_picture, c.new_picture);
    ASSERT_EQ(script.groups.size(), c.ignored.size()) << c.old_picture;
    for (std::size_t g = 0; g < c.ignored.size(); ++g) {
      script.groups[g].ignored = c.ignored[g] == 'i';
    }
    const std::vector<ralu::Hunk> hunks = test_support::assemble_hunks(script, c.context);
    ASSERT_EQ(hunks.size(), c.expected.size()) << c.old_picture << " " << c.ignored;
    for (std::size_t h = 0; h < hunks.size(); ++h) {
      const std::array<std::size_t, 6> got = {hunks[h].old_begin,   hunks[h].old_end,
                                              hunks[h].new_begin,   hunks[h].new_end,
                                              hunks[h].first_group, hunks[h].end_group};
      EXPECT_EQ(got, c.expected[h]) << c.old_picture << " " << c.ignored;
    }
  }
}

TEST(RaluHunks, GroupsAreMarkedIgnoredWhenEveryLineEitherWayIs) {
  std::string error;
  std::vector<std::unique_ptr<platform::LinePattern>> patterns;
  patterns.push_back(platform::compile_line_pattern("^#", error));
  ASSERT_NE(patterns.front(), nullptr) << error;
  struct Case {
    std::string old_text, new_text;
    bool blank_lines, with_pattern;
    std::string expected;  // 'i' for each group marked ignored
  };
  const std::vector<Case> cases = {
      {"a\nb\n", "a\n\nb\n", true, false, "i"},
      {"a\nb\n", "a\n\nb\n", false, false, "."},
      // Blank on one side only, or blank and not: the group is shown.
      {"a\n\nb\n", "a\nx\nb\n", true, false, "."},
      {"a\nb\n", "a\n\nx\nb\n", true, false, "."},
      {"a\nb\n", "a\n# c\nb\n", false, true, "i"},
      {"a\n# c\nb\n", "a\n\nb\n", true, true, "i"},
      {"a\n# c\nb\n", "a\n\nb\n", true, false, "."},
      // Each group is marked on its own lines.
      {"\na\n# y\nb\nc\n", "a\nb\nz\n", true, true, "ii."},
  };
  for (const Case& c : cases) {
    ralu::EditScript script = ralu::compare_texts(c.old_text, c.new_text, {});
    const std::span<const std::unique_ptr<platform::LinePattern>> used =
        c.with_pattern ? std::span(patterns)
                       : std::span<const std::unique_ptr<platform::LinePattern>>();
    ralu::mark_ignored_groups(script, {c.old_text, c.old_text}, {c.new_text, c.new_text},
                              c.blank_lines, used);
    std::string marks;
    for (const ralu::ChangeGroup& group : script.groups) marks += group.ignored ? 'i' : '.';
    EXPECT_EQ(marks, c.expected) << c.old_text << " | " << c.new_text;
  }

  // Blank is told from the keys (here as -w has them), the patterns are
  // matched against the lines as shown.
  const std::string keys = "a\n\nb\n", shown = "a\n  \nb\n", plain = "a\nb\n";
  ralu::EditScript script = ralu::compare_texts(plain, keys, {});
  ralu::mark_ignored_groups(script, {plain, plain}, {keys, shown}, true, {});
  ASSERT_EQ(script.groups.size(), 1u);
  EXPECT_TRUE(script.groups[0].ignored);
  const std::string hash_shown = "a\n#\nb\n";
  script = ralu::compare_texts(plain, keys, {});
  ralu::mark_ignored_groups(script, {plain, plain}, {keys, hash_shown}, false, patterns);
  ASSERT_EQ(script.groups.size(), 1u);
  EXPECT_TRUE(script.groups[0].ignored);
}

TEST(RaluUnified, HeaderTimeHasNanosecondsAndZoneOffset) {
  EXPECT_EQ(ralu::format_time({2024, 3, 5, 14, 7, 9, 123456789, 540}),
            "2024-03-05 14:07:09.123456789 +0900");
  EXPECT_EQ(ralu::format_time({1999, 12, 31, 23, 59, 60, 5, -330}),
            "1999-12-31 23:59:60.000000005 -0530");
  EXPECT_EQ(ralu::format_time({1970, 1, 1, 0, 0, 0, 0, 0}), "1970-01-01 00:00:00.000000000 +0000");
}

}  // namespace
