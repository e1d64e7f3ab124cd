#include "ralu/engine/edit_search.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ralu {

namespace {

// Below this cost the search never gives up on a shortest script, whatever the
// size of the inputs.
constexpr std::ptrdiff_t min_cost_cap = 256;
// Above this cost it always may.
constexpr std::ptrdiff_t max_cost_cap = 8192;
// A division capped at cost C over inputs of total length n costs about C * n
// steps over the whole search when the inputs have little in common; the cap
// keeps that product near this many steps.
constexpr double capped_work = 2.0e8;

// The cost at which a search that need not be minimal stops looking for the
// middle of an optimal path: high, so that scripts are shortest whenever that
// is affordable, but falling with the inputs' total length so that the work
// on inputs with little in common stays bounded; never below about the square
// root of the length, which bounds the work of one division by the length.
std::ptrdiff_t cost_cap(std::size_t total_length) {
  const double length = static_cast<double>(std::max<std::size_t>(total_length, 1));
  const auto root = static_cast<std::ptrdiff_t>(std::sqrt(length));
  const auto affordable = static_cast<std::ptrdiff_t>(
      std::min(static_cast<double>(max_cost_cap), capped_work / length));
  return std::max({min_cost_cap, root, affordable});
}

using Pos = std::ptrdiff_t;

// Snakes, the runs of equal entries the search follows, are mostly a line or
// two long on inputs that differ much. Where two entries taken at random are
// often equal (few distinct lines, as in "x"/"y" input), whether a snake goes
// on is a coin toss that the processor mispredicts on nearly every diagonal;
// testing four entries at once turns that into counting bits. Elsewhere most
// snakes end at once, the plain loop's branch is predicted, and it is faster.
// Both give the same runs.

// Whether two entries drawn at random from a and b are equal often enough
// for the four-at-once test to pay, judged from a fixed sample of pairs.
bool entries_often_equal(std::span<const std::uint32_t> a, std::span<const std::uint32_t> b) {
  constexpr std::size_t samples = 256;
  constexpr std::size_t often = samples / 8;
  if (a.empty() || b.empty()) return false;
  std::size_t equal = 0;
  for (std::size_t s = 0; s < samples; ++s) {
    // b's samples in another order than a's, so that lines the inputs share
    // at the same places do not count as chance matches.
    const std::size_t t = (s * 97 + 31) % samples;
    equal += a[s * a.size() / samples] == b[t * b.size() / samples] ? 1 : 0;
  }
  return equal >= often;
}

// How many of a[0, limit) equal b[0, limit) before the first that differs,
// tested four entries at a time.
Pos equal_run_forward_wide(const std::uint32_t* a, const std::uint32_t* b, Pos limit) {
  Pos run = 0;
#if defined(__SSE2__)
  for (; run + 4 <= limit; run += 4) {
    const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + run));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + run));
    const auto equal =
        static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(left, right))));
    if (equal != 0xF) return run + std::countr_one(equal);
  }
#endif
  while (run < limit && a[run] == b[run]) ++run;
  return run;
}

// How many of a[-limit, 0) equal b[-limit, 0), counted from the end, before
// the first that differs, tested four entries at a time.
Pos equal_run_backward_wide(const std::uint32_t* a, const std::uint32_t* b, Pos limit) {
  Pos run = 0;
#if defined(__SSE2__)
  for (; run + 4 <= limit; run += 4) {
    const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a - run - 4));
    const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b - run - 4));
    const auto equal =
        static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(left, right))));
    if (equal != 0xF) return run + std::countl_one(equal << 28);
  }
#endif
  while (run < limit && a[-run - 1] == b[-run - 1]) ++run;
  return run;
}

// Part of the problem: old entries [x0, x1) against new entries [y0, y1).
struct Box {
  Pos x0, x1, y0, y1;
  bool minimal;  // whether to search without the cost cap
};

// A point where the script may be cut in two, whether each half is cheap
// enough to be searched without the cost cap, and the least that a path
// through the point may cost.
struct Split {
  Pos x, y;
  bool lower_minimal, upper_minimal;
  Pos least_cost;
};

// Values that mark a diagonal as not reached yet, chosen so that the other
// neighbour always wins when a diagonal is extended from its two neighbours.
constexpr std::int32_t forward_unreached = -1;
constexpr std::int32_t backward_unreached = std::numeric_limits<std::int32_t>::max();

// Widens a search's range of diagonals [low, high] for its next unit of cost:
// by one on each side while it stays inside [dmin, dmax], and one step back
// inwards past the edge, so that it keeps the cost's parity. The neighbour
// outside a new end diagonal is marked unreached in `reached`, which is
// indexed by diagonal.
void widen(Pos& low, Pos& high, Pos dmin, Pos dmax, std::int32_t* reached, std::int32_t unreached) {
  if (low > dmin) {
    reached[--low - 1] = unreached;
  } else {
    ++low;
  }
  if (high < dmax) {
    reached[++high + 1] = unreached;
  } else {
    --high;
  }
}

// No bound on the length of the script wanted.
constexpr Pos unbounded = std::numeric_limits<Pos>::max();

class EditSearch {
 public:
  EditSearch(std::span<const std::uint32_t> old_ids, std::span<const std::uint32_t> new_ids,
             std::span<std::uint8_t> old_changed, std::span<std::uint8_t> new_changed, bool minimal,
             Pos most)
      : old_(old_ids.data()),
        new_(new_ids.data()),
        old_changed_(old_changed.data()),
        new_changed_(new_changed.data()),
        old_size_(static_cast<Pos>(old_ids.size())),
        new_size_(static_cast<Pos>(new_ids.size())),
        minimal_(minimal),
        most_(most),
        often_equal_(entries_often_equal(old_ids, new_ids)),
        cost_cap_(cost_cap(old_ids.size() + new_ids.size())),
        // Left uninitialised: the search writes a diagonal before reading it,
        // and pages of diagonals it never reaches are never touched.
        forward_(std::make_unique_for_overwrite<std::int32_t[]>(diagonal_count())),
        backward_(std::make_unique_for_overwrite<std::int32_t[]>(diagonal_count())),
        forward_diagonals_(forward_.get() + new_size_ + 1),
        backward_diagonals_(backward_.get() + new_size_ + 1) {}

  // False when it gave up, no script changing at most `most` entries.
  bool run();

 private:
  // Diagonals k = x - y run from -new_size to old_size; one more on each side
  // holds the sentinel that the search reads at the edge of its range.
  std::size_t diagonal_count() const { return static_cast<std::size_t>(old_size_ + new_size_ + 3); }

  // The furthest x reached on diagonal k by the search from the top-left
  // corner and by the one from the bottom-right corner.
  std::int32_t& forward(Pos k) { return forward_diagonals_[k]; }
  std::int32_t& backward(Pos k) { return backward_diagonals_[k]; }

  // Breaks off, with a least cost above `most`, once every path through the
  // box is known to cost more.
  Split find_split(const Box& box, Pos most) {
    return often_equal_ ? find_split_following<true>(box, most)
                        : find_split_following<false>(box, most);
  }
  // The search, with snakes followed four entries at a time or one by one:
  // chosen once for the whole search rather than on every diagonal.
  template <bool four_at_once>
  Split find_split_following(const Box& box, Pos most);
  template <bool four_at_once>
  [[gnu::always_inline]] inline Pos extend_forward(const Box& box, Pos k);
  template <bool four_at_once>
  [[gnu::always_inline]] inline Pos extend_backward(const Box& box, Pos k);
  void skip_equal_ends(Box& box) const;

  // A point a search reached: x + y, and x.
  struct Reach {
    Pos sum, x;
  };
  Split furthest_split(const Box& box, Pos fmin, Pos fmax, Pos bmin, Pos bmax, Pos least_cost);
  Reach furthest_forward(const Box& box, Pos fmin, Pos fmax);
  Reach furthest_backward(const Box& box, Pos bmin, Pos bmax);

  const std::uint32_t* old_;
  const std::uint32_t* new_;
  std::uint8_t* old_changed_;
  std::uint8_t* new_changed_;
  Pos old_size_;
  Pos new_size_;
  bool minimal_;
  Pos most_;
  bool often_equal_;  // whether snakes are followed four entries at a time
  Pos cost_cap_;
  std::unique_ptr<std::int32_t[]> forward_;
  std::unique_ptr<std::int32_t[]> backward_;
  std::int32_t* forward_diagonals_;  // forward_ indexed by diagonal
  std::int32_t* backward_diagonals_;
};

bool EditSearch::run() {
  // An explicit stack instead of recursion: divisions past the cost cap peel
  // off one end at a time, so their nesting can be deep.
  std::vector<Box> pending{{0, old_size_, 0, new_size_, minimal_}};
  // The first box is the whole problem, so what its paths cost is what the
  // script costs: the bound is checked there, where breaking off saves the
  // most.
  Pos most = most_;
  while (!pending.empty()) {
    Box box = pending.back();
    pending.pop_back();
    skip_equal_ends(box);
    if (box.x0 == box.x1 || box.y0 == box.y1) {
      if ((box.x1 - box.x0) + (box.y1 - box.y0) > most) return false;
      std::fill(new_changed_ + box.y0, new_changed_ + box.y1, 1);
      std::fill(old_changed_ + box.x0, old_changed_ + box.x1, 1);
    } else {
      const Split split = find_split(box, most);
      if (split.least_cost > most) return false;
      assert(box.x0 <= split.x && split.x <= box.x1 && box.y0 <= split.y && split.y <= box.y1);
      pending.push_back({split.x, box.x1, split.y, box.y1, minimal_ || split.upper_minimal});
      pending.push_back({box.x0, split.x, box.y0, split.y, minimal_ || split.lower_minimal});
    }
    most = unbounded;
  }
  return true;
}

// Narrows a box past the equal entries at its start and at its end, which
// the script leaves alone.
void EditSearch::skip_equal_ends(Box& box) const {
  while (box.x0 < box.x1 && box.y0 < box.y1 && old_[box.x0] == new_[box.y0]) {
    ++box.x0;
    ++box.y0;
  }
  while (box.x0 < box.x1 && box.y0 < box.y1 && old_[box.x1 - 1] == new_[box.y1 - 1]) {
    --box.x1;
    --box.y1;
  }
}

// Searches forward from (x0, y0) and backward from (x1, y1), one unit of cost
// at a time, until the two searches meet on a diagonal: the meeting point lies
// on a shortest path through the box. The box is not empty on either side and
// its first and last entries differ. Searches that meet after a forward step
// of cost c have found a path of cost 2c - 1, after a backward step one of
// 2c; searches that have not met by the end of step c prove every path to
// cost at least 2c + 1. Either way the search gives up on a path of at most
// `most` as soon as it knows there is none.
template <bool four_at_once>
Split EditSearch::find_split_following(const Box& box, Pos most) {
  const Pos dmin = box.x0 - box.y1;  // the lowest diagonal inside the box
  const Pos dmax = box.x1 - box.y0;  // the highest
  const Pos fmid = box.x0 - box.y0;  // where the forward search starts
  const Pos bmid = box.x1 - box.y1;  // where the backward search starts
  // With an odd distance between the start diagonals the searches can only
  // meet right after a forward step, else only after a backward step.
  const bool odd = ((fmid - bmid) & 1) != 0;

  Pos fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
  forward(fmid) = static_cast<std::int32_t>(box.x0);
  backward(bmid) = static_cast<std::int32_t>(box.x1);

  // Each step's diagonals are taken from the highest down. Only those within
  // the other search's range can meet it, so only those are tested, and only
  // after a step of the parity at which the searches can meet.
  for (Pos cost = 1;; ++cost) {
    widen(fmin, fmax, dmin, dmax, forward_diagonals_, forward_unreached);
    Pos k = fmax;
    if (odd) {
      for (; k > bmax && k >= fmin; k -= 2) extend_forward<four_at_once>(box, k);
      for (; k >= bmin && k >= fmin; k -= 2) {
        const Pos x = extend_forward<four_at_once>(box, k);
        if (backward(k) <= x) return {x, x - k, true, true, 2 * cost - 1};
      }
    }
    for (; k >= fmin; k -= 2) extend_forward<four_at_once>(box, k);

    widen(bmin, bmax, dmin, dmax, backward_diagonals_, backward_unreached);
    k = bmax;
    if (!odd) {
      for (; k > fmax && k >= bmin; k -= 2) extend_backward<four_at_once>(box, k);
      for (; k >= fmin && k >= bmin; k -= 2) {
        const Pos x = extend_backward<four_at_once>(box, k);
        if (x <= forward(k)) return {x, x - k, true, true, 2 * cost};
      }
    }
    for (; k >= bmin; k -= 2) extend_backward<four_at_once>(box, k);

    if (2 * cost + 1 > most) return {box.x0, box.y0, true, true, 2 * cost + 1};
    if (!box.minimal && cost >= cost_cap_) {
      return furthest_split(box, fmin, fmax, bmin, bmax, 2 * cost + 1);
    }
  }
}

// One more unit of cost for the forward search on diagonal k: the better of
// its neighbours' paths, one step, then along the equal entries that follow.
// Returns (and records) the x reached.
template <bool four_at_once>
inline Pos EditSearch::extend_forward(const Box& box, Pos k) {
  const Pos from_left = forward(k - 1);   // then delete old[x]
  const Pos from_above = forward(k + 1);  // then insert new[y]
  Pos x = from_left >= from_above ? from_left + 1 : from_above;
  if constexpr (four_at_once) {
    const Pos y = x - k;
    x += equal_run_forward_wide(old_ + x, new_ + y, std::min(box.x1 - x, box.y1 - y));
  } else {
    // Diagonal k leaves the box at the first x past either side's end.
    const Pos end = std::min(box.x1, box.y1 + k);
    while (x < end && old_[x] == new_[x - k]) ++x;
  }
  forward(k) = static_cast<std::int32_t>(x);
  return x;
}

// The same for the backward search, towards the box's top-left corner.
template <bool four_at_once>
inline Pos EditSearch::extend_backward(const Box& box, Pos k) {
  const Pos from_below = backward(k - 1);  // then un-insert new[y - 1]
  const Pos from_right = backward(k + 1);  // then un-delete old[x - 1]
  Pos x = from_below < from_right ? from_below : from_right - 1;
  if constexpr (four_at_once) {
    const Pos y = x - k;
    x -= equal_run_backward_wide(old_ + x, new_ + y, std::min(x - box.x0, y - box.y0));
  } else {
    const Pos end = std::max(box.x0, box.y0 + k);
    while (x > end && old_[x - 1] == new_[x - 1 - k]) --x;
  }
  backward(k) = static_cast<std::int32_t>(x);
  return x;
}

// Past the cost cap: the point that either search has carried furthest from
// its corner, clipped to the box. The part between that corner and the point
// costs no more than the cap, so it is searched exactly; the rest is searched
// again with the cap.
Split EditSearch::furthest_split(const Box& box, Pos fmin, Pos fmax, Pos bmin, Pos bmax,
                                 Pos least_cost) {
  const Reach ahead = furthest_forward(box, fmin, fmax);
  const Reach behind = furthest_backward(box, bmin, bmax);
  const Pos forward_progress = ahead.sum - (box.x0 + box.y0);
  const Pos backward_progress = (box.x1 + box.y1) - behind.sum;
  if (forward_progress >= backward_progress)
    return {ahead.x, ahead.sum - ahead.x, true, false, least_cost};
  return {behind.x, behind.sum - behind.x, false, true, least_cost};
}

// The forward search's point with the largest x + y, clipped to the box.
EditSearch::Reach EditSearch::furthest_forward(const Box& box, Pos fmin, Pos fmax) {
  Reach best{-1, box.x0};
  for (Pos k = fmax; k >= fmin; k -= 2) {
    Pos x = std::min<Pos>(forward(k), box.x1);
    Pos y = x - k;
    if (y > box.y1) {
      x = box.y1 + k;
      y = box.y1;
    }
    if (x + y > best.sum) best = {x + y, x};
  }
  return best;
}

// The backward search's point with the smallest x + y, clipped to the box.
EditSearch::Reach EditSearch::furthest_backward(const Box& box, Pos bmin, Pos bmax) {
  Reach best{std::numeric_limits<Pos>::max(), box.x1};
  for (Pos k = bmax; k >= bmin; k -= 2) {
    Pos x = std::max<Pos>(backward(k), box.x0);
    Pos y = x - k;
    if (y < box.y0) {
      x = box.y0 + k;
      y = box.y0;
    }
    if (x + y < best.sum) best = {x + y, x};
  }
  return best;
}

}  // namespace

bool mark_edits_within(std::span<const std::uint32_t> old_ids,
                       std::span<const std::uint32_t> new_ids, std::span<std::uint8_t> old_changed,
                       std::span<std::uint8_t> new_changed, bool minimal, std::size_t most) {
  const Pos bound = most < static_cast<std::size_t>(unbounded) ? static_cast<Pos>(most) : unbounded;
  return EditSearch(old_ids, new_ids, old_changed, new_changed, minimal, bound).run();
}

void mark_edits(std::span<const std::uint32_t> old_ids, std::span<const std::uint32_t> new_ids,
                std::span<std::uint8_t> old_changed, std::span<std::uint8_t> new_changed,
                bool minimal) {
  mark_edits_within(old_ids, new_ids, old_changed, new_changed, minimal,
                    std::numeric_limits<std::size_t>::max());
}

void collect_change_groups(std::span<const std::uint8_t> old_changed,
                           std::span<const std::uint8_t> new_changed, std::size_t first,
                           std::vector<ChangeGroup>& groups) {
  groups.clear();
  const std::size_t old_size = old_changed.size();
  const std::size_t new_size = new_changed.size();
  std::size_t i = 0, j = 0;
  for (;;) {
    // Unchanged entries come in pairs, one from each side.
    while (i < old_size && j < new_size && old_changed[i] == 0 && new_changed[j] == 0) {
      ++i;
      ++j;
    }
    if (i == old_size && j == new_size) break;
    ChangeGroup group{first + i, 0, first + j, 0};
    while (i < old_size && old_changed[i] != 0) ++i;
    while (j < new_size && new_changed[j] != 0) ++j;
    group.old_end = first + i;
    group.new_end = first + j;
    groups.push_back(group);
  }
}

}  // namespace ralu
