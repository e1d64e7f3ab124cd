#include "ralu/engine/anchors.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <vector>

namespace ralu {

namespace {

using Pos = std::ptrdiff_t;

// A diagonal the search has not reached.
constexpr Pos unreached = std::numeric_limits<Pos>::min() / 2;

// The search from the region's start, in lines counted from there: old line
// x against new line y on diagonal k = x - y.
class AnchorSearch {
 public:
  AnchorSearch(const AnchorWindows& windows, const AnchorRule& rule)
      : old_(windows.old_ids.subspan(windows.old_start)),
        new_(windows.new_ids.subspan(windows.new_start)),
        unique_(windows.unique),
        run_(static_cast<Pos>(rule.run_lines)),
        old_last_(last_run_start(old_.size(), windows.old_whole, rule)),
        new_last_(last_run_start(new_.size(), windows.new_whole, rule)) {}

  std::optional<Anchor> run() {
    if (run_ <= 0 || old_last_ < 0 || new_last_ < 0) return std::nullopt;
    // A cost above the run's length could never be matched by as many
    // unique lines in it.
    const Pos max_cost = run_;
    std::vector<Pos> reach(static_cast<std::size_t>(2 * max_cost + 3), unreached);
    Pos* const diagonals = reach.data() + max_cost + 1;
    for (Pos cost = 0; cost <= max_cost; ++cost) {
      for (Pos k = -cost; k <= cost; k += 2) {
        const Pos x = step(diagonals, cost, k);
        if (x == unreached) {
          diagonals[k] = unreached;
          continue;
        }
        const std::optional<Pos> found = follow(diagonals, k, x, std::max<Pos>(cost, 1));
        if (found)
          return Anchor{static_cast<std::size_t>(*found), static_cast<std::size_t>(*found - k)};
      }
    }
    return std::nullopt;
  }

 private:
  // The last line a run may start at in a window of `size` lines: the run
  // must fit, and leave the horizon after it unless the window is whole.
  static Pos last_run_start(std::size_t size, bool whole, const AnchorRule& rule) {
    const std::size_t needed = rule.run_lines + (whole ? 0 : rule.horizon_lines);
    return size < needed ? -1 : static_cast<Pos>(size - needed);
  }

  Pos old_size() const { return static_cast<Pos>(old_.size()); }
  Pos new_size() const { return static_cast<Pos>(new_.size()); }

  // The furthest x on diagonal k at this cost, before equal lines are
  // followed: one deletion from diagonal k - 1 or one insertion from k + 1,
  // whichever goes further and stays inside the windows.
  Pos step(const Pos* diagonals, Pos cost, Pos k) const {
    if (cost == 0) return 0;
    Pos best = unreached;
    const Pos above = k + 1 <= cost - 1 ? diagonals[k + 1] : unreached;  // then insert
    if (above != unreached && above - k <= new_size()) best = above;
    const Pos left = k - 1 >= -(cost - 1) ? diagonals[k - 1] : unreached;  // then delete
    if (left != unreached && left + 1 <= old_size()) best = std::max(best, left + 1);
    return best;
  }

  // Follows the equal lines from x on diagonal k, recording how far they
  // go, and gives the start of the first run of equal lines long enough,
  // with `needed` unique lines in it, that may anchor.
  std::optional<Pos> follow(Pos* diagonals, Pos k, Pos x, Pos needed) const {
    const Pos last_start = std::min(old_last_, new_last_ + k);
    Pos run_start = x;
    Pos unique_in_run = 0;
    while (x < old_size() && x - k < new_size() && old_[x] == new_[x - k]) {
      unique_in_run += unique_[old_[x]];
      ++x;
      if (x - run_start > run_) unique_in_run -= unique_[old_[run_start++]];
      if (run_start > last_start) break;
      if (x - run_start == run_ && unique_in_run >= needed) {
        diagonals[k] = x;
        return run_start;
      }
    }
    diagonals[k] = x;
    return std::nullopt;
  }

  std::span<const std::uint32_t> old_;
  std::span<const std::uint32_t> new_;
  std::span<const std::uint8_t> unique_;
  Pos run_;
  Pos old_last_;  // the last line a run may start at, in each window
  Pos new_last_;
};

// Counts saturate at 2: only "once" matters.
void count_classes(std::span<const std::uint32_t> ids, LargeArray<std::uint8_t>& counts) {
  for (const std::uint32_t id : ids)
    counts[id] = static_cast<std::uint8_t>(std::min(counts[id] + 1, 2));
}

}  // namespace

std::optional<Anchor> find_anchor(const AnchorWindows& windows, const AnchorRule& rule) {
  if (windows.old_start > windows.old_ids.size() || windows.new_start > windows.new_ids.size()) {
    return std::nullopt;
  }
  std::optional<Anchor> anchor = AnchorSearch(windows, rule).run();
  if (anchor) {
    anchor->old_line += windows.old_start;
    anchor->new_line += windows.new_start;
  }
  return anchor;
}

WindowClasses classify_windows(const LineTable& old_lines, const LineTable& new_lines,
                               const HashSettings& hashing) {
  LineClasses classes =
      classify_lines({old_lines, 0, old_lines.size()}, {new_lines, 0, new_lines.size()}, hashing);
  LargeArray<std::uint8_t> old_counts(classes.presence.size());
  LargeArray<std::uint8_t> new_counts(classes.presence.size());
  count_classes(classes.old_ids, old_counts);
  count_classes(classes.new_ids, new_counts);
  WindowClasses windows{std::move(classes.old_ids), std::move(classes.new_ids),
                        LargeArray<std::uint8_t>(classes.presence.size())};
  for (std::size_t id = 0; id < windows.unique.size(); ++id) {
    windows.unique[id] = old_counts[id] == 1 && new_counts[id] == 1 ? 1 : 0;
  }
  return windows;
}

}  // namespace ralu
