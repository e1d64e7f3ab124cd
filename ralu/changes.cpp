#include "ralu/changes.h"

#include <algorithm>
#include <cstddef>

#include "ralu/classes.h"
#include "ralu/edit_search.h"

namespace ralu {

namespace {

// The lines of one input that take part in the search: their classes, and
// where each one stands in its range.
struct Kept {
  std::vector<std::uint32_t> ids;
  std::vector<std::uint32_t> positions;
};

// Sets aside the lines whose class never occurs in the other input: no
// script can pair them, so they are marked changed at once and the search
// never sees them. This keeps the search's cost down to the lines that can
// actually move. The ids are compacted in place to save memory.
Kept set_aside_unpaired(std::vector<std::uint32_t> ids, const std::vector<std::uint8_t>& presence,
                        Presence other_side, std::uint8_t* changed) {
  const auto paired = [&](std::uint32_t id) { return (presence[id] & other_side) != 0; };
  Kept kept;
  kept.positions.reserve(static_cast<std::size_t>(std::count_if(ids.begin(), ids.end(), paired)));
  std::size_t next = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (paired(ids[i])) {
      ids[next++] = ids[i];
      kept.positions.push_back(static_cast<std::uint32_t>(i));
    } else {
      changed[i] = 1;
    }
  }
  ids.resize(next);
  if (next < ids.capacity() / 2) ids.shrink_to_fit();
  kept.ids = std::move(ids);
  return kept;
}

// Carries the search's marks over to the lines they stand for.
void copy_marks(const std::vector<std::uint8_t>& marks, const Kept& kept, std::uint8_t* changed) {
  for (std::size_t i = 0; i < marks.size(); ++i) {
    if (marks[i] != 0) changed[kept.positions[i]] = 1;
  }
}

// Marks the changed lines of two non-empty ranges; old_changed and
// new_changed point at the marks of each range's first line.
void mark_middle(const LineRange& old_range, const LineRange& new_range, bool minimal,
                 std::uint8_t* old_changed, std::uint8_t* new_changed) {
  LineClasses classes = classify_lines(old_range, new_range);
  const Kept old_kept =
      set_aside_unpaired(std::move(classes.old_ids), classes.presence, in_new, old_changed);
  const Kept new_kept =
      set_aside_unpaired(std::move(classes.new_ids), classes.presence, in_old, new_changed);
  classes.presence = {};

  std::vector<std::uint8_t> old_marks(old_kept.ids.size(), 0);
  std::vector<std::uint8_t> new_marks(new_kept.ids.size(), 0);
  mark_edits(old_kept.ids, new_kept.ids, old_marks, new_marks, minimal);
  copy_marks(old_marks, old_kept, old_changed);
  copy_marks(new_marks, new_kept, new_changed);
}

}  // namespace

ChangeMarks find_changes(const LineTable& old_lines, const LineTable& new_lines, bool minimal) {
  ChangeMarks marks{std::vector<std::uint8_t>(old_lines.size(), 0),
                    std::vector<std::uint8_t>(new_lines.size(), 0)};

  // The common head and tail are compared as bytes, before anything is
  // hashed: inputs that differ in a few places are mostly head and tail.
  const std::size_t shorter = std::min(old_lines.size(), new_lines.size());
  std::size_t head = 0;
  while (head < shorter && old_lines.line(head) == new_lines.line(head)) ++head;
  std::size_t tail = 0;
  while (tail < shorter - head && old_lines.line(old_lines.size() - 1 - tail) ==
                                      new_lines.line(new_lines.size() - 1 - tail)) {
    ++tail;
  }
  const LineRange old_range{old_lines, head, old_lines.size() - tail};
  const LineRange new_range{new_lines, head, new_lines.size() - tail};
  std::uint8_t* const old_changed = marks.old_changed.data() + head;
  std::uint8_t* const new_changed = marks.new_changed.data() + head;

  if (old_range.begin == old_range.end || new_range.begin == new_range.end) {
    std::fill(old_changed, old_changed + (old_range.end - old_range.begin), 1);
    std::fill(new_changed, new_changed + (new_range.end - new_range.begin), 1);
  } else {
    mark_middle(old_range, new_range, minimal, old_changed, new_changed);
  }
  return marks;
}

}  // namespace ralu
