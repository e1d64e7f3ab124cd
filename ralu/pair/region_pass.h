// Huge pairs compared a region at a time. Both inputs are read forward
// together; where they agree, lines are counted and passed. Where they
// differ, a window of lines of each is read, and an anchor looked for in it:
// a run of lines where the inputs agree again (see ralu/engine/anchors.h for
// why cutting there keeps the script shortest). The region up to the anchor,
// with the lines around it that compaction and context need, is handed on as
// a piece of its own, and the reading goes on from the anchor. Where no anchor
// is found, the rest of the pair is one last piece, its common tail set aside
// first. So a pair whose changes lie far apart costs one pass over its bytes,
// and memory for its windows only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "ralu/engine/classes.h"
#include "ralu/inputs/chunked_ends.h"

namespace ralu {

// How far a window looks ahead for an anchor by default, in lines.
inline constexpr std::size_t default_horizon_lines = 16384;
// A window holds no more than this many bytes of an input.
inline constexpr std::size_t default_window_bytes = std::size_t{32} * 1024 * 1024;

struct RegionRule {
  std::size_t horizon_lines = default_horizon_lines;
  std::size_t context = 0;  // the lines of context the report shows around a change
  std::size_t window_bytes = default_window_bytes;
  std::size_t chunk = default_chunk;
  HashSettings hashing{};
};

// One region's lines, whole lines of each input.
struct Piece {
  std::string_view old_text;
  std::string_view new_text;
  std::uint64_t old_first_line = 0;  // the number of each text's first line, from 0
  std::uint64_t new_first_line = 0;
  std::uint64_t old_offset = 0;  // where the old text starts in its input
  bool old_at_end = false;       // whether the text reaches its input's end
  bool new_at_end = false;
};

class PieceSink {
 public:
  virtual ~PieceSink() = default;
  // Compares and reports one piece; false stops the pass.
  virtual bool take(const Piece& piece) = 0;
};

// The bytes [begin, end) of input `side` (0 old, 1 new), for the last piece:
// read, or mapped where that is large.
using RestBytes =
    std::function<std::string_view(std::size_t side, std::uint64_t begin, std::uint64_t end)>;

enum class PassEnd : unsigned char {
  identical,  // the same bytes
  compared,   // every piece was handed on
  stopped,    // the sink stopped the pass
};

PassEnd pass_in_regions(ByteSource& old_source, ByteSource& new_source, const RegionRule& rule,
                        const RestBytes& rest, PieceSink& sink);

}  // namespace ralu
