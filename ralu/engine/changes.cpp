#include "ralu/engine/changes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "ralu/engine/common_ends.h"
#include "ralu/engine/compaction.h"
#include "ralu/engine/edit_search.h"
#include "ralu/engine/frequent_lines.h"
#include "ralu/engine/large_array.h"
#include "ralu/engine/lines.h"

namespace ralu {

namespace {

// How many more changed lines ralu accepts to show frequent lines among
// changes as changed: enough for a blank line or two between rewritten
// blocks, and no more, so that scripts stay close to the shortest.
constexpr std::ptrdiff_t joining_allowance = 4;

// The lines of one input that take part in the search: their classes, and
// where each one stands in its range.
struct Kept {
  LargeArray<std::uint32_t> ids;
  LargeArray<std::uint32_t> positions;
};

// Sets aside the lines whose class never occurs in the other input: no
// script can pair them, so they are marked changed at once and the search
// never sees them; lines marked changed already are set aside too. This
// keeps the search's cost down to the lines that can actually move.
Kept set_aside_unpaired(std::span<const std::uint32_t> ids, std::span<const std::uint8_t> presence,
                        Presence other_side, std::span<std::uint8_t> changed) {
  // One pass, into arrays as long as the input's: their memory comes zeroed
  // and is not written past what is kept, so the room never kept costs
  // neither a pass nor, on huge inputs, pages.
  Kept kept;
  kept.ids.resize(ids.size());
  kept.positions.resize(ids.size());
  std::size_t count = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const std::uint32_t id = ids[i];
    if (changed[i] == 0 && (presence[id] & other_side) != 0) {
      kept.ids[count] = id;
      kept.positions[count] = static_cast<std::uint32_t>(i);
      ++count;
    } else {
      changed[i] = 1;
    }
  }
  kept.ids.resize(count);
  kept.positions.resize(count);
  return kept;
}

// Carries the search's marks over to the lines they stand for.
void copy_marks(std::span<const std::uint8_t> marks, const Kept& kept,
                std::span<std::uint8_t> changed) {
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] != 0) changed[kept.positions[i]] = 1;
  }
}

// The change marks of the middles, one a line: 1 for a line of the old middle
// that is deleted, or of the new one that is inserted.
struct ChangeMarks {
  LargeArray<std::uint8_t> old_changed;
  LargeArray<std::uint8_t> new_changed;
};

// Searches which lines change, among those not marked changed yet. False,
// with the marks unfinished, once it is certain that more than `most` lines
// would be changed in all.
bool search_marks(const LineClasses& classes, ChangeMarks& marks, bool minimal,
                  std::size_t most = std::numeric_limits<std::size_t>::max()) {
  const Kept old_kept =
      set_aside_unpaired(classes.old_ids, classes.presence, in_new, marks.old_changed);
  const Kept new_kept =
      set_aside_unpaired(classes.new_ids, classes.presence, in_old, marks.new_changed);
  // Every line not kept for the search is changed already.
  const std::size_t set_aside = (classes.old_ids.size() - old_kept.ids.size()) +
                                (classes.new_ids.size() - new_kept.ids.size());
  if (set_aside > most) return false;
  LargeArray<std::uint8_t> old_search(old_kept.ids.size());
  LargeArray<std::uint8_t> new_search(new_kept.ids.size());
  if (!mark_edits_within(old_kept.ids, new_kept.ids, old_search, new_search, minimal,
                         most - set_aside)) {
    return false;
  }
  copy_marks(old_search, old_kept, marks.old_changed);
  copy_marks(new_search, new_kept, marks.new_changed);
  return true;
}

std::ptrdiff_t changed_lines(const ChangeMarks& marks) {
  return std::count(marks.old_changed.begin(), marks.old_changed.end(), 1) +
         std::count(marks.new_changed.begin(), marks.new_changed.end(), 1);
}

// Marks with the frequent lines among changes changed from the start, if
// there are any such lines; else nothing.
std::optional<ChangeMarks> frequent_lines_marked(const LineClasses& classes) {
  LargeArray<std::uint32_t> old_counts(classes.presence.size());
  LargeArray<std::uint32_t> new_counts(classes.presence.size());
  for (const std::uint32_t id : classes.old_ids) ++old_counts[id];
  for (const std::uint32_t id : classes.new_ids) ++new_counts[id];
  ChangeMarks marks{LargeArray<std::uint8_t>(classes.old_ids.size()),
                    LargeArray<std::uint8_t>(classes.new_ids.size())};
  const std::size_t marked =
      mark_frequent_lines_among_changes(classes.old_ids, new_counts, classes.new_ids.size(),
                                        marks.old_changed) +
      mark_frequent_lines_among_changes(classes.new_ids, old_counts, classes.old_ids.size(),
                                        marks.new_changed);
  if (marked == 0) return std::nullopt;
  return marks;
}

ChangeMarks mark_middle(const LineTable& old_lines, const LineTable& new_lines,
                        const EngineOptions& options) {
  const HashSettings hashing = options.hashing ? *options.hashing : random_hash_settings();
  const LineClasses classes =
      classify_lines({old_lines, 0, old_lines.size()}, {new_lines, 0, new_lines.size()}, hashing);
  ChangeMarks marks{LargeArray<std::uint8_t>(old_lines.size()),
                    LargeArray<std::uint8_t>(new_lines.size())};
  search_marks(classes, marks, options.minimal);
  // A second search shows the frequent lines among changes as changed, so
  // that blocks rewritten around them read as one; its script is taken when
  // it is longer by no more than the allowance. --minimal means shortest.
  if (!options.minimal) {
    if (std::optional<ChangeMarks> joined = frequent_lines_marked(classes)) {
      // The search breaks off as soon as it is certain to come out too long.
      const auto most = static_cast<std::size_t>(changed_lines(marks) + joining_allowance);
      if (search_marks(classes, *joined, false, most) &&
          static_cast<std::size_t>(changed_lines(*joined)) <= most) {
        marks = std::move(*joined);
      }
    }
  }
  compact({classes.old_ids, marks.old_changed, old_lines},
          {classes.new_ids, marks.new_changed, new_lines});
  return marks;
}

EditScript same_lines_script(std::size_t line_count) {
  EditScript script;
  script.old_line_count = script.new_line_count = line_count;
  return script;
}

// Only one input has lines of its own in the middle, all changed: one group,
// with nothing to class or search, and nothing it could slide across, as
// the margin is empty too.
EditScript one_group_script(std::size_t head_lines, std::size_t old_count, std::size_t new_count,
                            std::size_t tail_lines) {
  EditScript script;
  script.groups.push_back({head_lines, head_lines + old_count, head_lines, head_lines + new_count});
  script.old_line_count = head_lines + old_count + tail_lines;
  script.new_line_count = head_lines + new_count + tail_lines;
  return script;
}

// The script of middles that both have lines, searched.
EditScript searched_script(const LineTable& old_middle, const LineTable& new_middle,
                           std::size_t head_lines, std::size_t tail_lines,
                           const EngineOptions& options) {
  EditScript script;
  script.old_line_count = head_lines + old_middle.size() + tail_lines;
  script.new_line_count = head_lines + new_middle.size() + tail_lines;
  const ChangeMarks marks = mark_middle(old_middle, new_middle, options);
  collect_change_groups(marks.old_changed, marks.new_changed, head_lines, script.groups);
  return script;
}

}  // namespace

EditScript compare_texts(std::string_view old_text, std::string_view new_text,
                         const EngineOptions& options) {
  if (old_text == new_text) return same_lines_script(count_lines(old_text));
  const CommonEnds ends = find_common_ends(old_text, new_text, compaction_margin);
  const std::string_view old_middle = ends.old_middle(old_text);
  const std::string_view new_middle = ends.new_middle(new_text);
  const std::size_t tail_lines = count_lines(old_text.substr(ends.old_tail_start));
  if (old_middle.empty() || new_middle.empty()) {
    return one_group_script(ends.head_lines, count_lines(old_middle), count_lines(new_middle),
                            tail_lines);
  }
  return searched_script(LineTable(old_middle), LineTable(new_middle), ends.head_lines, tail_lines,
                         options);
}

EditScript compare_texts(const LineTable& old_lines, const LineTable& new_lines,
                         const EngineOptions& options) {
  const std::string_view old_text = old_lines.bytes();
  const std::string_view new_text = new_lines.bytes();
  if (old_text == new_text) return same_lines_script(old_lines.size());
  const CommonEnds ends = find_common_ends(old_text, new_text, compaction_margin);
  // The tail is a few lines at most, beyond the margin of a caller that
  // holds only the middles and their margins.
  const std::size_t tail_lines = count_lines(old_text.substr(ends.old_tail_start));
  const std::size_t old_end = old_lines.size() - tail_lines;
  const std::size_t new_end = new_lines.size() - tail_lines;
  const std::size_t head = ends.head_lines;
  if (old_end == head || new_end == head) {
    return one_group_script(head, old_end - head, new_end - head, tail_lines);
  }
  return searched_script(old_lines.lines(head, old_end), new_lines.lines(head, new_end), head,
                         tail_lines, options);
}

}  // namespace ralu
