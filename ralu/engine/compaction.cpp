#include "ralu/engine/compaction.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <string_view>

namespace ralu {

namespace {

// The choice among a group's positions looks at no more than this many of
// them, the lowest ones: a group slides that far only along long repetitive
// runs, where the choice hardly matters.
constexpr std::size_t max_scored_positions = 100;
// How far the score looks for blank lines and the nearest non-blank line.
constexpr std::size_t look_range = 20;
// Indentation beyond this counts as this.
constexpr int max_indent = 200;

// The lines [start, end) of one side, all changed, with unchanged lines (or
// an end of the input) around them; empty when start == end.
struct Group {
  std::size_t start, end;
};

class Side {
 public:
  explicit Side(const CompactionSide& side) : ids_(side.ids), changed_(side.changed) {}

  std::size_t size() const { return changed_.size(); }

  // The first group, which may be empty.
  Group first() const { return {0, run_end(0)}; }

  // The group after the unchanged line that ends g, if there is one.
  bool next(Group& g) const {
    if (g.end == size()) return false;
    g.start = g.end + 1;
    g.end = run_end(g.start);
    return true;
  }

  // The group before the unchanged line that starts g, if there is one.
  bool previous(Group& g) const {
    if (g.start == 0) return false;
    g.end = g.start - 1;
    g.start = run_start(g.end);
    return true;
  }

  // Slides a non-empty group one line down, when the line after it equals its
  // first line, and takes in the group it then touches.
  bool slide_down(Group& g) {
    if (g.end == size() || ids_[g.start] != ids_[g.end]) return false;
    changed_[g.start++] = 0;
    changed_[g.end++] = 1;
    g.end = run_end(g.end);
    return true;
  }

  // Slides a non-empty group one line up, when the line before it equals its
  // last line, and takes in the group it then touches.
  bool slide_up(Group& g) {
    if (g.start == 0 || ids_[g.start - 1] != ids_[g.end - 1]) return false;
    changed_[--g.start] = 1;
    changed_[--g.end] = 0;
    g.start = run_start(g.start);
    return true;
  }

 private:
  std::size_t run_end(std::size_t at) const {
    while (at < size() && changed_[at] != 0) ++at;
    return at;
  }
  std::size_t run_start(std::size_t at) const {
    while (at > 0 && changed_[at - 1] != 0) --at;
    return at;
  }

  std::span<const std::uint32_t> ids_;
  std::span<std::uint8_t> changed_;
};

// A line's indentation in columns, tabs to the next multiple of 8; -1 for a
// blank line (nothing but spaces, tabs, carriage returns and the line feed).
int indent_of(std::string_view line) {
  int columns = 0;
  for (const char c : line) {
    if (c == ' ') {
      ++columns;
    } else if (c == '\t') {
      columns += 8 - columns % 8;
    } else if (c != '\r' && c != '\n' && c != '\f' && c != '\v') {
      return std::min(columns, max_indent);
    }
    if (columns >= max_indent) return max_indent;
  }
  return -1;
}

// How good a place the boundary before line `at` is for a hunk to start or
// end: lower is better. A person cuts after blank lines (the more the better:
// two often part top-level definitions), or at least at one, and before a
// line that is indented little, and not deeper than what it follows: never
// between a block's opening line and its body.
int boundary_penalty(const LineTable& lines, std::size_t at) {
  constexpr int after_blank_bonus = 30;
  constexpr int at_blank_bonus = 10;
  constexpr int more_blanks_bonus = 5;  // for each blank line before `at` beyond the first
  constexpr int max_blanks_counted = 3;
  constexpr int deeper_penalty = 20;
  const std::size_t size = lines.size();
  if (at == size) return -after_blank_bonus;  // the end of the input is a boundary too

  int blanks_before = 0;  // blank lines right before `at`, up to a few
  while (blanks_before < max_blanks_counted && at > static_cast<std::size_t>(blanks_before) &&
         indent_of(lines.line(at - 1 - static_cast<std::size_t>(blanks_before))) < 0) {
    ++blanks_before;
  }
  const bool after_blank = blanks_before > 0;
  int after = -1;  // the indentation of the first non-blank line from `at` on
  bool blank_at = false;
  for (std::size_t i = at; i < size && i < at + look_range; ++i) {
    after = indent_of(lines.line(i));
    if (after >= 0) break;
    blank_at = true;
  }
  int before = -1;  // of the last non-blank line before `at`
  for (std::size_t i = at; i > 0 && at - i < look_range; --i) {
    before = indent_of(lines.line(i - 1));
    if (before >= 0) break;
  }

  int penalty = after_blank ? -after_blank_bonus - more_blanks_bonus * (blanks_before - 1)
                : blank_at  ? -at_blank_bonus
                            : 0;
  if (after < 0) return penalty;
  penalty += after;
  if (before >= 0 && after > before) penalty += deeper_penalty;
  return penalty;
}

// Moves a group that can slide freely between ending at earliest_end and where
// it is now to the best scoring of its lowest positions; the lowest wins a tie.
void place_by_score(Side& side, const LineTable& lines, Group& g, std::size_t earliest_end) {
  const std::size_t length = g.end - g.start;
  const std::size_t lowest_end = g.end;
  const std::size_t highest_end =
      std::max(earliest_end, lowest_end - std::min(lowest_end, max_scored_positions - 1));
  std::size_t best_end = lowest_end;
  int best_score = 0;
  for (std::size_t end = lowest_end + 1; end-- > highest_end;) {
    const int score = boundary_penalty(lines, end - length) + boundary_penalty(lines, end);
    if (end == lowest_end || score < best_score) {
      best_score = score;
      best_end = end;
    }
  }
  while (g.end > best_end) {
    [[maybe_unused]] const bool slid = side.slide_up(g);
    assert(slid);
  }
}

// Compacts the groups of one side; `other` is the other input, whose groups
// stay where they are but tell where this side's groups meet a change.
void compact_side(Side& side, const Side& other, const LineTable& lines) {
  Group g = side.first();
  Group og = other.first();
  for (;;) {
    if (g.end != g.start) {
      std::size_t group_size = 0;
      std::size_t earliest_end = 0;
      bool meets_other = false;
      std::size_t end_meeting_other = 0;
      // Slide up and down as far as it goes, again while that merges groups.
      do {
        group_size = g.end - g.start;
        while (side.slide_up(g)) {
          [[maybe_unused]] const bool moved = other.previous(og);
          assert(moved);
        }
        earliest_end = g.end;
        meets_other = og.end != og.start;
        end_meeting_other = g.end;
        while (side.slide_down(g)) {
          [[maybe_unused]] const bool moved = other.next(og);
          assert(moved);
          if (og.end != og.start) {
            meets_other = true;
            end_meeting_other = g.end;
          }
        }
      } while (group_size != g.end - g.start);

      if (meets_other) {
        // Beside the other input's change, as low as that can be.
        while (g.end > end_meeting_other) {
          side.slide_up(g);
          other.previous(og);
        }
      } else if (g.end != earliest_end) {
        const std::size_t before = g.end;
        place_by_score(side, lines, g, earliest_end);
        for (std::size_t step = g.end; step < before; ++step) other.previous(og);
      }
    }
    if (!side.next(g)) break;
    [[maybe_unused]] const bool moved = other.next(og);
    assert(moved);
  }
}

}  // namespace

void compact(const CompactionSide& old_side, const CompactionSide& new_side) {
  Side old_lines(old_side), new_lines(new_side);
  compact_side(old_lines, new_lines, old_side.lines);
  compact_side(new_lines, old_lines, new_side.lines);
}

}  // namespace ralu
