// The lines of a pair's two windows, found in the same pass that tells
// whether the pair is binary, so that a huge middle is read once for both.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "ralu/engine/lines.h"

namespace ralu {

// What a scan of both windows found: a NUL byte, or an input with too many
// lines, or else the lines of both.
struct WindowLines {
  bool binary = false;  // a NUL byte in either window, when looked for
  // The first input, the old before the new, with more lines than allowed;
  // only when not binary.
  std::optional<std::size_t> crowded;
  // Both windows' lines, when neither of the above.
  std::array<std::optional<LineTable>, 2> tables;
};

// Splits both windows into lines, a block of each in turn, so that a NUL
// byte near the start of either ends the scan before either table is built
// far. A NUL byte anywhere makes the pair binary even where an input has too
// many lines: the rest of an input past its limit is still looked at.
WindowLines find_window_lines(const std::array<std::string_view, 2>& windows, bool look_for_nul,
                              std::size_t most_lines = max_lines);

}  // namespace ralu
