#include "ralu/engine/anchors.h"

#include <algorithm>
#include <bit>
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
      : windows_(windows),
        old_(windows.old_hashes.subspan(windows.old_start)),
        new_(windows.new_hashes.subspan(windows.new_start)),
        unique_(windows.old_unique.subspan(windows.old_start)),
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
    while (x < old_size() && x - k < new_size() && equal(x, x - k)) {
      unique_in_run += unique_[x];
      ++x;
      if (x - run_start > run_) unique_in_run -= unique_[run_start++];
      if (run_start > last_start) break;
      if (x - run_start == run_ && unique_in_run >= needed) {
        diagonals[k] = x;
        return run_start;
      }
    }
    diagonals[k] = x;
    return std::nullopt;
  }

  // Whether old line x and new line y (from the region's start) are equal.
  bool equal(Pos x, Pos y) const {
    if (old_[x] != new_[y]) return false;
    return windows_.old_lines.line(windows_.old_start + static_cast<std::size_t>(x)) ==
           windows_.new_lines.line(windows_.new_start + static_cast<std::size_t>(y));
  }

  const AnchorWindows& windows_;
  std::span<const std::uint64_t> old_;
  std::span<const std::uint64_t> new_;
  std::span<const std::uint8_t> unique_;
  Pos run_;
  Pos old_last_;  // the last line a run may start at, in each window
  Pos new_last_;
};

// How often each hash occurs in each window, in an open-addressed table:
// counts stop at 2, as only "once" matters.
class HashCounts {
 public:
  explicit HashCounts(std::size_t lines) : slots_(std::bit_ceil(2 * lines + 2)) {}

  void count(std::span<const std::uint64_t> hashes, bool old_side) {
    for (const std::uint64_t hash : hashes) {
      Slot& slot = find(hash);
      std::uint8_t& seen = old_side ? slot.old_count : slot.new_count;
      seen = static_cast<std::uint8_t>(std::min(seen + 1, 2));
    }
  }

  bool once_in_each(std::uint64_t hash) {
    const Slot& slot = find(hash);
    return slot.old_count == 1 && slot.new_count == 1;
  }

 private:
  struct Slot {
    std::uint64_t hash = 0;
    bool used = false;
    std::uint8_t old_count = 0;
    std::uint8_t new_count = 0;
  };

  Slot& find(std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = static_cast<std::size_t>(hash ^ (hash >> 32)) & mask;;
         at = (at + 1) & mask) {
      Slot& slot = slots_[at];
      if (!slot.used) {
        slot.used = true;
        slot.hash = hash;
        return slot;
      }
      if (slot.hash == hash) return slot;
    }
  }

  std::vector<Slot> slots_;
};

}  // namespace

std::optional<Anchor> find_anchor(const AnchorWindows& windows, const AnchorRule& rule) {
  if (windows.old_start > windows.old_hashes.size() ||
      windows.new_start > windows.new_hashes.size()) {
    return std::nullopt;
  }
  std::optional<Anchor> anchor = AnchorSearch(windows, rule).run();
  if (anchor) {
    anchor->old_line += windows.old_start;
    anchor->new_line += windows.new_start;
  }
  return anchor;
}

WindowHashes hash_windows(const LineTable& old_lines, const LineTable& new_lines,
                          const HashSettings& hashing) {
  WindowHashes windows{hash_lines(old_lines, hashing), hash_lines(new_lines, hashing),
                       LargeArray<std::uint8_t>(old_lines.size())};
  HashCounts counts(old_lines.size() + new_lines.size());
  counts.count(windows.old_hashes, true);
  counts.count(windows.new_hashes, false);
  for (std::size_t i = 0; i < old_lines.size(); ++i) {
    windows.old_unique[i] = counts.once_in_each(windows.old_hashes[i]) ? 1 : 0;
  }
  return windows;
}

}  // namespace ralu
