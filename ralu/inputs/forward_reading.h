// Reading two inputs forward together, for pairs too large to hold: the lines
// where they agree are counted and passed, a chunk at a time, and where they
// differ a window of lines of each is read into memory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ralu/inputs/chunked_ends.h"

namespace ralu {

// The start of a line of an input: its offset, and the line's number from 0.
struct LinePlace {
  std::uint64_t offset = 0;
  std::uint64_t line = 0;
};

// Lines of one input held in memory: whole lines, but for a last line without
// a line end where the input ends.
struct LineWindow {
  std::string bytes;
  std::uint64_t offset = 0;      // where the bytes start in the input
  std::uint64_t first_line = 0;  // the number of their first line
  std::size_t lead_lines = 0;    // lines held before the place read from
  bool whole = false;            // whether they reach the input's end
};

class ForwardReader {
 public:
  ForwardReader(ByteSource& old_source, ByteSource& new_source, std::size_t chunk);

  // From both places on, passes the lines the inputs have in common, and
  // moves the places to the first line where they differ: false when they
  // agree up to both their ends.
  bool pass_common_lines(std::array<LinePlace, 2>& places);

  // Up to lines_before lines before `from` and lines_after lines from it on,
  // of input `side` (0 old, 1 new), stopping short of max_bytes; read into
  // the memory of `buffer`.
  LineWindow read_window(std::size_t side, LinePlace from, std::size_t lines_before,
                         std::size_t lines_after, std::size_t max_bytes, std::string buffer = {});

  ByteSource& source(std::size_t side) { return *sources_[side]; }

 private:
  std::array<ByteSource*, 2> sources_;
  std::size_t chunk_;
  std::unique_ptr<char[]> old_chunk_;
  std::unique_ptr<char[]> new_chunk_;
};

}  // namespace ralu
