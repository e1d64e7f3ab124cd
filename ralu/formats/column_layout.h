// Where the two columns of the side-by-side form lie in a line of a given
// width.
#pragma once

#include <cstddef>

#include "ralu/formats/forms.h"

namespace ralu {

// Columns are counted from 0 at the start of an output line.
struct ColumnLayout {
  std::size_t half_width;   // how many columns of text each side may fill
  std::size_t right_start;  // where the right side's text starts
  std::size_t gutter;       // where the mark between the sides goes
};

// The layout GNU diff gives a line of `width` columns: the right side starts
// on a tab stop (any column under -t), the sides are equally wide, and at
// least three columns part them. A width too small for that leaves no room
// for text at all. The width is at least 1.
ColumnLayout lay_out_columns(std::size_t width, const LineLook& look);

}  // namespace ralu
