#include "ralu/formats/column_layout.h"

#include <algorithm>
#include <cstdint>

namespace ralu {

namespace {

// The fewest columns between the two sides: a blank, the mark, a blank.
constexpr std::size_t gutter_min = 3;

// The right side starts at the tab stop nearest the middle of the line plus
// the gutter, rounding down: (width + stop + 3) / (2 * stop) stops in. The
// sum is taken apart so that no width or tab size overflows it.
std::size_t right_side_start(std::size_t width, std::size_t stop) {
  const std::size_t reach = width > SIZE_MAX - gutter_min ? SIZE_MAX : width + gutter_min;
  return (reach / stop + 1) / 2 * stop;
}

}  // namespace

ColumnLayout lay_out_columns(std::size_t width, const LineLook& look) {
  const std::size_t stop = look.expand_tabs ? 1 : look.tabsize;
  const std::size_t start = right_side_start(width, stop);
  std::size_t half_width = 0;
  if (start >= gutter_min && start <= width)
    half_width = std::min(start - gutter_min, width - start);
  // With no room for text, the marks alone are laid out over the whole width.
  const std::size_t right_start = half_width == 0 ? width : start;
  // Halfway between the end of the left side and the start of the right one,
  // rounding down; right_start is past half_width, so this cannot overflow.
  const std::size_t gutter = half_width + (right_start - 1 - half_width) / 2;
  return {half_width, right_start, gutter};
}

}  // namespace ralu
