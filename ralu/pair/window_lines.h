// The lines of a pair's two windows, found in one pass over each, so that a
// huge middle is read once for the search and the report alike.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "ralu/engine/lines.h"

namespace ralu {

// What a scan of both windows found: an input with too many lines, or else
// the lines of both.
struct WindowLines {
  // The first input, the old before the new, with more lines than allowed.
  std::optional<std::size_t> crowded;
  // Both windows' lines, when neither has too many.
  std::array<std::optional<LineTable>, 2> tables;
};

// Splits both windows into lines; the scan of an input stops once it has
// more than most_lines, and the new input is not scanned once the old has.
WindowLines find_window_lines(const std::array<std::string_view, 2>& windows,
                              std::size_t most_lines = max_lines);

}  // namespace ralu
