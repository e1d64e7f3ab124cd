// Anchors: where two inputs that have started to differ agree again, over a
// run long enough that what lies before it can be compared on its own.
//
// The search looks at a window of lines of each input, from a line where the
// inputs differ. It walks the cheapest edit paths from there (Myers' greedy
// forward search), and takes the first run of run_lines equal lines such a
// path reaches, when enough of the run's lines are unique: each occurs once
// in the old window and once in the new one.
//
// Why a cut there loses nothing. Let the edit paths from the region's start
// reach the run's start (i, j) with cost d, and let u of the run's K lines be
// unique in both windows, with u >= d. Take a shortest path P of the whole
// pair (one passes the region's start: a common head is always matched). If
// P touches the run, a shortest path follows it through the run, since equal
// lines before or after a point cost nothing to match. Else P passes the run
// on one side, say having used more of the old input. Then P deletes the u
// unique old lines (their only partners in the new window are on the run's
// diagonal) and inserts the u unique new lines (theirs are on it too), unless
// it pairs them with lines beyond a window. Up to the point (x, j + K) where
// P has used the run's new lines, P costs at least 2u + |x - j - K|. The path
// that takes the cheapest way to (i, j), the run, and deletes old lines up to
// x costs d + (x - i - K) <= 2d + |x - j - K|, no more than P's; from there it
// follows P. Pairing a unique line beyond a window shifts P by more than the
// lines the window reaches past the run, less d, so P costs more than that.
// So whenever a shortest script costs fewer edits than that reach less the
// run, some shortest script passes through the run; the window reaches
// horizon_lines past it, unless it reaches the input's end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "ralu/engine/classes.h"
#include "ralu/engine/lines.h"

namespace ralu {

struct AnchorRule {
  std::size_t run_lines;      // how many equal lines make an anchor
  std::size_t horizon_lines;  // how far each window must reach past the run
};

// The lines of both windows as the search sees them: their hashes, confirmed
// by their bytes where two are equal.
struct AnchorWindows {
  const LineTable& old_lines;
  const LineTable& new_lines;
  std::span<const std::uint64_t> old_hashes;
  std::span<const std::uint64_t> new_hashes;
  // Per old line: 1 when its hash occurs once in each window. Lines that
  // share a hash by chance count as not unique, which only makes anchors
  // rarer.
  std::span<const std::uint8_t> old_unique;
  std::size_t old_start;  // the region's first line in each window
  std::size_t new_start;
  bool old_whole;  // whether the window reaches the input's end
  bool new_whole;
};

// Where the run starts, in window lines.
struct Anchor {
  std::size_t old_line;
  std::size_t new_line;
};

std::optional<Anchor> find_anchor(const AnchorWindows& windows, const AnchorRule& rule);

// The hashes of two windows' lines, and which old lines are unique to both.
struct WindowHashes {
  LargeArray<std::uint64_t> old_hashes;
  LargeArray<std::uint64_t> new_hashes;
  LargeArray<std::uint8_t> old_unique;
};

WindowHashes hash_windows(const LineTable& old_lines, const LineTable& new_lines,
                          const HashSettings& hashing);

}  // namespace ralu
