// Mapping lines to equivalence classes, so that the search compares integers.
//
// Two lines get the same class number exactly when their bytes are equal:
// a hash finds the candidates, and a byte comparison decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ralu/lines.h"

namespace ralu {

// Lines [begin, end) of one input.
struct LineRange {
  const LineTable& table;
  std::size_t begin;
  std::size_t end;
};

// Where a class occurs.
enum Presence : std::uint8_t { in_old = 1, in_new = 2 };

struct LineClasses {
  std::vector<std::uint32_t> old_ids;  // class of each line of the old range, in order
  std::vector<std::uint32_t> new_ids;  // class of each line of the new range, in order
  std::vector<std::uint8_t> presence;  // per class: the Presence bits of where it occurs
};

// Classifies every line of both ranges. Each range must hold fewer than
// max_lines lines.
LineClasses classify_lines(const LineRange& old_range, const LineRange& new_range);

}  // namespace ralu
