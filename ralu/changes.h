// Which lines of two inputs differ: the whole analysis from split lines to
// the marks that hunk assembly reads.
#pragma once

#include <cstdint>
#include <vector>

#include "ralu/lines.h"

namespace ralu {

// One mark a line: 1 for a line of the old input that is deleted, or of the
// new input that is inserted. Unmarked lines pair up in order as the lines the
// inputs have in common.
struct ChangeMarks {
  std::vector<std::uint8_t> old_changed;
  std::vector<std::uint8_t> new_changed;
};

// Compares the inputs line by line. Both must have at most max_lines lines.
// With minimal set the marks describe a shortest edit script; without it, a
// short one found within a bounded cost.
ChangeMarks find_changes(const LineTable& old_lines, const LineTable& new_lines, bool minimal);

}  // namespace ralu
