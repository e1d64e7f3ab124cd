#include "ralu/pair/window_lines.h"

namespace ralu {

namespace {

using End = LineScan::End;

// Scans both a block at a time, in turn, until both end or one meets a NUL
// byte; true when one did.
bool scan_in_turn(std::array<LineScan, 2>& scans) {
  for (bool scanning = true; scanning;) {
    scanning = false;
    for (LineScan& scan : scans) {
      if (scan.scan_block()) scanning = true;
      if (scan.end() == End::nul_byte) return true;
    }
  }
  return false;
}

// Whether what a scan that stopped past its limit left unscanned holds a NUL
// byte.
bool rest_holds_nul(const LineScan& scan) {
  return scan.end() == End::too_many_lines && holds_nul(scan.bytes().substr(scan.scanned()));
}

}  // namespace

WindowLines find_window_lines(const std::array<std::string_view, 2>& windows, bool look_for_nul,
                              std::size_t most_lines) {
  const LineScan::Limits limits{look_for_nul, most_lines};
  std::array<LineScan, 2> scans{LineScan(windows[0], limits), LineScan(windows[1], limits)};
  WindowLines found;
  found.binary = scan_in_turn(scans) ||
                 (look_for_nul && (rest_holds_nul(scans[0]) || rest_holds_nul(scans[1])));
  if (found.binary) return found;
  for (std::size_t side = 0; side < 2; ++side) {
    if (scans[side].end() == End::too_many_lines) {
      found.crowded = side;
      return found;
    }
  }
  for (std::size_t side = 0; side < 2; ++side) found.tables[side].emplace(scans[side].take_table());
  return found;
}

}  // namespace ralu
