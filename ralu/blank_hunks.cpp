#include "ralu/blank_hunks.h"

#include <algorithm>

#include "ralu/line_keys.h"

namespace ralu {

namespace {

struct Group {
  std::size_t old_begin, old_end, new_begin, new_end;
  bool blank;  // every line it deletes or inserts is blank
};

bool all_blank(const LineTable& lines, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end; ++i) {
    if (!is_blank(lines.line(i))) return false;
  }
  return true;
}

// The change groups in order: runs of changed lines with no unchanged line
// inside. Unchanged lines pair up, one from each input.
std::vector<Group> change_groups(std::span<const std::uint8_t> old_changed,
                                 std::span<const std::uint8_t> new_changed,
                                 const LineTable& old_keys, const LineTable& new_keys) {
  std::vector<Group> groups;
  std::size_t i = 0;
  std::size_t j = 0;
  for (;;) {
    while (i < old_changed.size() && j < new_changed.size() && old_changed[i] == 0 &&
           new_changed[j] == 0) {
      ++i;
      ++j;
    }
    if (i == old_changed.size() && j == new_changed.size()) break;
    Group group{i, i, j, j, false};
    while (i < old_changed.size() && old_changed[i] != 0) ++i;
    while (j < new_changed.size() && new_changed[j] != 0) ++j;
    group.old_end = i;
    group.new_end = j;
    group.blank = all_blank(old_keys, group.old_begin, group.old_end) &&
                  all_blank(new_keys, group.new_begin, group.new_end);
    groups.push_back(group);
  }
  return groups;
}

// Whether `next` joins a hunk that ends `gap` unchanged lines before it.
// Written to stay clear of overflow for any context.
bool joins(const Group& next, std::size_t gap, std::size_t context) {
  if (next.blank) return gap < context;
  return gap <= context || gap - context <= context;
}

}  // namespace

std::vector<Hunk> assemble_hunks_ignoring_blank_lines(std::span<const std::uint8_t> old_changed,
                                                      std::span<const std::uint8_t> new_changed,
                                                      const LineTable& old_keys,
                                                      const LineTable& new_keys,
                                                      std::size_t context) {
  const std::vector<Group> groups = change_groups(old_changed, new_changed, old_keys, new_keys);
  std::vector<Hunk> hunks;
  for (std::size_t first = 0; first < groups.size();) {
    std::size_t last = first;
    bool shown = !groups[first].blank;
    while (last + 1 < groups.size() &&
           joins(groups[last + 1], groups[last + 1].old_begin - groups[last].old_end, context)) {
      ++last;
      shown = shown || !groups[last].blank;
    }
    if (shown) {
      const std::size_t before = std::min(context, groups[first].old_begin);
      const std::size_t after = std::min(context, old_changed.size() - groups[last].old_end);
      hunks.push_back(Hunk{groups[first].old_begin - before, groups[last].old_end + after,
                           groups[first].new_begin - before, groups[last].new_end + after});
    }
    first = last + 1;
  }
  return hunks;
}

}  // namespace ralu
