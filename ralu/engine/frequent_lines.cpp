#include "ralu/engine/frequent_lines.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ralu/engine/large_array.h"

namespace ralu {

namespace {

// A line counts as frequent when it occurs at least this many times in the
// other input, or the square root of that input's length if more: so in a
// short input only blank lines and their like, never a line that merely
// repeats a few times.
constexpr std::uint32_t min_frequent_count = 16;
// How far to look on each side of a frequent line for the lines around it.
constexpr std::size_t look_range = 100;
// A frequent line is marked when frequent lines, itself included, make less
// than one in this many of the unpaired and frequent lines around it.
constexpr std::size_t frequent_share = 7;

enum class Kind : std::uint8_t { unpaired, frequent, ordinary };

// Counts of unpaired and frequent lines in stretches of one input that hold
// no ordinary line, each found in constant time.
class Stretches {
 public:
  explicit Stretches(const std::vector<Kind>& kinds)
      : unpaired_before_(kinds.size() + 1, 0),
        next_ordinary_(kinds.size() + 1, static_cast<std::uint32_t>(kinds.size())) {
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      unpaired_before_[i + 1] = unpaired_before_[i] + (kinds[i] == Kind::unpaired ? 1 : 0);
    }
    for (std::size_t i = kinds.size(); i-- > 0;) {
      next_ordinary_[i] =
          kinds[i] == Kind::ordinary ? static_cast<std::uint32_t>(i) : next_ordinary_[i + 1];
    }
  }

  // The first ordinary line from `at` on, or the end.
  std::size_t next_ordinary(std::size_t at) const { return next_ordinary_[at]; }

  // Unpaired lines among [begin, end).
  std::size_t unpaired(std::size_t begin, std::size_t end) const {
    return unpaired_before_[end] - unpaired_before_[begin];
  }

 private:
  // Line numbers fit 32 bits, as the engine's classes do.
  LargeArray<std::uint32_t> unpaired_before_;
  LargeArray<std::uint32_t> next_ordinary_;
};

}  // namespace

std::size_t mark_frequent_lines_among_changes(std::span<const std::uint32_t> ids,
                                              std::span<const std::uint32_t> count_in_other,
                                              std::size_t other_size,
                                              std::span<std::uint8_t> changed) {
  const auto root = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(other_size)));
  const std::uint32_t frequent_count = std::max(min_frequent_count, root);
  // Nothing to mark without both kinds, as in inputs of unique lines or of
  // a small vocabulary: a first pass finds out without storing anything.
  bool any_unpaired = false, any_frequent = false;
  for (const std::uint32_t id : ids) {
    any_unpaired |= count_in_other[id] == 0;
    any_frequent |= count_in_other[id] >= frequent_count;
  }
  if (!any_unpaired || !any_frequent) return 0;

  std::vector<Kind> kinds(ids.size());
  std::transform(ids.begin(), ids.end(), kinds.begin(), [&](std::uint32_t id) {
    const std::uint32_t count = count_in_other[id];
    return count == 0 ? Kind::unpaired : count >= frequent_count ? Kind::frequent : Kind::ordinary;
  });

  // Around a frequent line, the unpaired and frequent lines up to the nearest
  // ordinary line and no further than the look range. Marks do not change
  // kinds, so every line is judged by the input as it stands.
  const Stretches stretches(kinds);
  std::size_t marked = 0;
  std::size_t after_ordinary = 0;  // the line after the last ordinary line so far
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == Kind::ordinary) after_ordinary = i + 1;
    if (kinds[i] != Kind::frequent) continue;
    const std::size_t begin = std::max(after_ordinary, i - std::min(i, look_range));
    const std::size_t end = std::min(stretches.next_ordinary(i + 1), i + 1 + look_range);
    const std::size_t unpaired_before = stretches.unpaired(begin, i);
    const std::size_t unpaired_after = stretches.unpaired(i + 1, end);
    if (unpaired_before == 0 || unpaired_after == 0) continue;  // not among changes
    const std::size_t around = end - begin;  // unpaired and frequent, this line included
    const std::size_t frequent = around - unpaired_before - unpaired_after;
    if (frequent * frequent_share < around) {
      changed[i] = 1;
      ++marked;
    }
  }
  return marked;
}

}  // namespace ralu
