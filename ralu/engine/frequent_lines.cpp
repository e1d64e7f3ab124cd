#include "ralu/engine/frequent_lines.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

std::size_t mark_frequent_lines_among_changes(std::span<const std::uint32_t> ids,
                                              std::span<const std::uint32_t> count_in_other,
                                              std::size_t other_size,
                                              std::span<std::uint8_t> changed) {
  const auto root = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(other_size)));
  const std::uint32_t frequent_count = std::max(min_frequent_count, root);
  const auto count_of = [&](std::size_t line) { return count_in_other[ids[line]]; };
  const auto ordinary = [&](std::uint32_t count) { return count != 0 && count < frequent_count; };

  // Around a frequent line, the unpaired and frequent lines up to the nearest
  // ordinary line and no further than the look range. Both stretches only
  // move forward as the lines do, so each is kept as a window with its count
  // of unpaired lines: one pass, and no table of kinds. Marks do not change
  // kinds, so every line is judged by the input as it stands.
  const auto unpaired = [&](std::size_t line) { return count_of(line) == 0 ? 1 : 0; };
  std::size_t marked = 0;
  std::size_t before_begin = 0;  // [before_begin, i): unpaired or frequent lines
  std::size_t unpaired_before = 0;
  std::size_t after_begin = 0;  // [after_begin, after_end): unpaired or frequent lines
  std::size_t after_end = 0;
  std::size_t unpaired_after = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const std::uint32_t count = count_of(i);
    if (ordinary(count)) {
      before_begin = i + 1;
      unpaired_before = 0;
      continue;
    }
    if (count >= frequent_count) {
      for (; before_begin + look_range < i; ++before_begin) {
        unpaired_before -= unpaired(before_begin);
      }
      for (; after_begin <= i; ++after_begin) {
        if (after_begin < after_end) unpaired_after -= unpaired(after_begin);
      }
      if (after_end < after_begin) after_end = after_begin;
      const std::size_t limit = std::min(ids.size(), i + 1 + look_range);
      for (; after_end < limit; ++after_end) {
        const std::uint32_t ahead = count_of(after_end);
        if (ordinary(ahead)) break;
        unpaired_after += ahead == 0 ? 1 : 0;
      }
      // Among changes: unpaired lines on both sides.
      if (unpaired_before > 0 && unpaired_after > 0) {
        const std::size_t around = after_end - before_begin;  // this line included
        const std::size_t frequent = around - unpaired_before - unpaired_after;
        if (frequent * frequent_share < around) {
          changed[i] = 1;
          ++marked;
        }
      }
    }
    unpaired_before += count == 0 ? 1 : 0;
  }
  return marked;
}

}  // namespace ralu
