#include "ralu/hunks.h"

#include <algorithm>
#include <optional>

namespace ralu {

namespace {

// A run of changed lines with no unchanged line inside: old [old_begin,
// old_end) replaced by new [new_begin, new_end); either side may be empty.
struct ChangeGroup {
  std::size_t old_begin, old_end, new_begin, new_end;
};

// Walks the marks of both inputs side by side, one change group at a time.
class GroupWalker {
 public:
  GroupWalker(std::span<const std::uint8_t> old_changed, std::span<const std::uint8_t> new_changed)
      : old_(old_changed), new_(new_changed) {}

  std::optional<ChangeGroup> next() {
    // Unchanged lines come in pairs, one from each input.
    while (old_at_ < old_.size() && new_at_ < new_.size() && old_[old_at_] == 0 &&
           new_[new_at_] == 0) {
      ++old_at_;
      ++new_at_;
    }
    if (old_at_ == old_.size() && new_at_ == new_.size()) return std::nullopt;
    ChangeGroup group{old_at_, old_at_, new_at_, new_at_};
    while (old_at_ < old_.size() && old_[old_at_] != 0) ++old_at_;
    while (new_at_ < new_.size() && new_[new_at_] != 0) ++new_at_;
    group.old_end = old_at_;
    group.new_end = new_at_;
    return group;
  }

 private:
  std::span<const std::uint8_t> old_;
  std::span<const std::uint8_t> new_;
  std::size_t old_at_ = 0;
  std::size_t new_at_ = 0;
};

// Whether `gap` unchanged lines between two groups leave their contexts apart.
// Written to stay clear of overflow for any context.
bool contexts_apart(std::size_t gap, std::size_t context) {
  return gap > context && gap - context > context;
}

}  // namespace

std::vector<Hunk> assemble_hunks(std::span<const std::uint8_t> old_changed,
                                 std::span<const std::uint8_t> new_changed, std::size_t context) {
  std::vector<Hunk> hunks;
  GroupWalker walker(old_changed, new_changed);
  std::optional<Hunk> open;  // the hunk being built, ending at its last group
  // Adds the context after the last group and stores the hunk. Unchanged lines
  // after a group pair up, so both inputs have as many of them.
  const auto close = [&](Hunk hunk) {
    const std::size_t after = std::min(context, old_changed.size() - hunk.old_end);
    hunk.old_end += after;
    hunk.new_end += after;
    hunks.push_back(hunk);
  };
  while (const std::optional<ChangeGroup> group = walker.next()) {
    if (open && !contexts_apart(group->old_begin - open->old_end, context)) {
      open->old_end = group->old_end;
      open->new_end = group->new_end;
      continue;
    }
    if (open) close(*open);
    // Lines before the first change pair up too, and between hunks there are
    // more than enough of them.
    const std::size_t before = std::min(context, group->old_begin);
    open =
        Hunk{group->old_begin - before, group->old_end, group->new_begin - before, group->new_end};
  }
  if (open) close(*open);
  return hunks;
}

}  // namespace ralu
