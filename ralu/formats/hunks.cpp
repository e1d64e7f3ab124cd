#include "ralu/formats/hunks.h"

#include <algorithm>
#include <vector>

namespace ralu {

namespace {

// Whether `gap` unchanged lines between two groups leave their contexts apart.
// Written to stay clear of overflow for any context.
bool contexts_apart(std::size_t gap, std::size_t context) {
  return gap > context && gap - context > context;
}

}  // namespace

bool HunkWalker::joins(std::size_t group, std::size_t gap) const {
  return ignored(group) ? gap < context_ : !contexts_apart(gap, context_);
}

std::optional<Hunk> HunkWalker::next() {
  const std::vector<ChangeGroup>& groups = script_.groups;
  std::size_t last = next_group_;
  bool shown = false;
  // Skips the hunks that hold only blank-line changes.
  while (!shown) {
    if (next_group_ == groups.size()) return std::nullopt;
    last = next_group_;
    shown = !ignored(last);
    while (last + 1 < groups.size() &&
           joins(last + 1, groups[last + 1].old_begin - groups[last].old_end)) {
      ++last;
      shown = shown || !ignored(last);
    }
    if (!shown) next_group_ = last + 1;
  }
  const ChangeGroup& first = groups[next_group_];
  // Unchanged lines pair up, so both inputs have as many of them before the
  // first group and after the last.
  const std::size_t before = std::min(context_, first.old_begin);
  const std::size_t after = std::min(context_, script_.old_line_count - groups[last].old_end);
  const Hunk hunk{first.old_begin - before,
                  groups[last].old_end + after,
                  first.new_begin - before,
                  groups[last].new_end + after,
                  next_group_,
                  last + 1};
  next_group_ = last + 1;
  return hunk;
}

}  // namespace ralu
