#include "ralu/pair/window_lines.h"

namespace ralu {

WindowLines find_window_lines(const std::array<std::string_view, 2>& windows,
                              std::size_t most_lines) {
  const LineScan::Limits limits{most_lines};
  std::array<LineScan, 2> scans{LineScan(windows[0], limits), LineScan(windows[1], limits)};
  WindowLines found;
  for (std::size_t side = 0; side < 2; ++side) {
    if (scans[side].scan_all() == LineScan::End::too_many_lines) {
      found.crowded = side;
      return found;
    }
  }
  for (std::size_t side = 0; side < 2; ++side) found.tables[side].emplace(scans[side].take_table());
  return found;
}

}  // namespace ralu
