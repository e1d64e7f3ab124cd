#include "ralu/pair/region_pass.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "ralu/engine/anchors.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/lines.h"
#include "ralu/inputs/forward_reading.h"

namespace ralu {

namespace {

// The sizes of a pass, from its rule. A piece holds `margin` lines on each
// side of its changes: those compaction may slide them into, then the
// report's context. An anchor's run is longer than two margins, so that no
// two pieces overlap and no hunk of one could touch a hunk of the next.
//
// A window is read six horizons long and serves every later region that
// starts more than a horizon and a half before its end: so each line is
// hashed little more than once, however close the regions, and an anchor
// close after its region is found without reading again. (One found
// further ahead is looked for in a window read afresh.)
struct Shape {
  explicit Shape(const RegionRule& rule)
      : margin(compaction_margin + rule.context),
        anchor{2 * margin + 2, rule.horizon_lines},
        window_lines(6 * rule.horizon_lines + anchor.run_lines),
        reuse_reach(rule.horizon_lines + rule.horizon_lines / 2 + anchor.run_lines) {}

  std::size_t margin;
  AnchorRule anchor;
  // Lines a window reads from where it starts.
  std::size_t window_lines;
  // A window serves a later region while it reaches this far past its start.
  std::size_t reuse_reach;
};

// Windows of both inputs, with their lines and their hashes. The tables view
// the windows' bytes, which stay where they are while the windows are held.
struct HeldWindows {
  HeldWindows(LineWindow old_window, LineWindow new_window, const HashSettings& hashing)
      : windows{std::move(old_window), std::move(new_window)},
        tables{LineTable(windows[0].bytes), LineTable(windows[1].bytes)},
        hashes(hash_windows(tables[0], tables[1], hashing)) {}

  std::array<LineWindow, 2> windows;
  std::array<LineTable, 2> tables;
  WindowHashes hashes;
};

class RegionPass {
 public:
  RegionPass(ByteSource& old_source, ByteSource& new_source, const RegionRule& rule,
             const RestBytes& rest, PieceSink& sink)
      : rule_(rule),
        shape_(rule),
        rest_(rest),
        sink_(sink),
        reader_(old_source, new_source, rule.chunk) {}

  PassEnd run() {
    std::array<LinePlace, 2> places{};
    if (!reader_.pass_common_lines(places)) return PassEnd::identical;
    for (;;) {
      bool fresh = false;
      if (!covers(places)) {
        read_windows(places);
        fresh = true;
      }
      std::optional<Anchor> anchor = search(places);
      if (!anchor && !fresh && !both_whole()) {
        // A window read for an earlier region may end too soon for this one.
        read_windows(places);
        anchor = search(places);
      }
      if (!anchor) return both_whole() ? last_piece(places) : compare_rest(places);
      const std::array<std::size_t, 2> ends{anchor->old_line + shape_.margin,
                                            anchor->new_line + shape_.margin};
      if (!sink_.take(piece_of(starts_of(places), ends))) return PassEnd::stopped;
      places = places_of({anchor->old_line, anchor->new_line});
      if (!reader_.pass_common_lines(places)) return PassEnd::compared;
    }
  }

 private:
  // The index in its window of the line at a place.
  std::size_t index_of(std::size_t side, const LinePlace& place) const {
    return static_cast<std::size_t>(place.line - held_->windows[side].first_line);
  }

  // Whether the windows held serve a region starting at these places: they
  // hold its margin before it, and reach far enough after.
  bool covers(const std::array<LinePlace, 2>& places) const {
    if (!held_) return false;
    for (std::size_t side = 0; side < 2; ++side) {
      const LineWindow& window = held_->windows[side];
      const std::uint64_t line = places[side].line;
      if (line - std::min<std::uint64_t>(shape_.margin, line) < window.first_line) return false;
      if (!window.whole &&
          line + shape_.reuse_reach > window.first_line + held_->tables[side].size()) {
        return false;
      }
    }
    return true;
  }

  // Reads windows from the places.
  void read_windows(const std::array<LinePlace, 2>& places) {
    // The windows' memory is used again, rather than given back and taken
    // anew: fresh pages cost the system a clearing each.
    std::array<std::string, 2> buffers;
    if (held_) {
      for (std::size_t side = 0; side < 2; ++side)
        buffers[side] = std::move(held_->windows[side].bytes);
    }
    held_.reset();
    std::array<LineWindow, 2> read;
    for (std::size_t side = 0; side < 2; ++side) {
      read[side] = reader_.read_window(side, places[side], shape_.margin, shape_.window_lines,
                                       rule_.window_bytes, std::move(buffers[side]));
    }
    held_ = std::make_unique<HeldWindows>(std::move(read[0]), std::move(read[1]), rule_.hashing);
  }

  bool both_whole() const { return held_->windows[0].whole && held_->windows[1].whole; }

  std::optional<Anchor> search(const std::array<LinePlace, 2>& places) const {
    const WindowHashes& hashes = held_->hashes;
    const AnchorWindows windows{
        held_->tables[0],       held_->tables[1],        hashes.old_hashes,
        hashes.new_hashes,      hashes.old_unique,       index_of(0, places[0]),
        index_of(1, places[1]), held_->windows[0].whole, held_->windows[1].whole};
    return find_anchor(windows, shape_.anchor);
  }

  // Where a piece starts that begins a region at these places: its margin
  // before them, as far as the input has lines.
  std::array<std::size_t, 2> starts_of(const std::array<LinePlace, 2>& places) const {
    std::array<std::size_t, 2> starts{};
    for (std::size_t side = 0; side < 2; ++side) {
      const std::size_t at = index_of(side, places[side]);
      starts[side] = at - std::min(at, shape_.margin);
    }
    return starts;
  }

  // The places of window lines.
  std::array<LinePlace, 2> places_of(const std::array<std::size_t, 2>& lines) const {
    std::array<LinePlace, 2> places{};
    for (std::size_t side = 0; side < 2; ++side) {
      const LineWindow& window = held_->windows[side];
      places[side] = {window.offset + held_->tables[side].offset(lines[side]),
                      window.first_line + lines[side]};
    }
    return places;
  }

  // Window lines [starts, ends) of each input as a piece.
  Piece piece_of(const std::array<std::size_t, 2>& starts,
                 const std::array<std::size_t, 2>& ends) const {
    std::array<std::string_view, 2> texts;
    std::array<bool, 2> at_end{};
    for (std::size_t side = 0; side < 2; ++side) {
      const LineTable& table = held_->tables[side];
      const std::size_t begin = table.offset(starts[side]);
      texts[side] = std::string_view(held_->windows[side].bytes)
                        .substr(begin, table.offset(ends[side]) - begin);
      at_end[side] = held_->windows[side].whole && ends[side] == table.size();
    }
    Piece piece;
    piece.old_text = texts[0];
    piece.new_text = texts[1];
    piece.old_first_line = held_->windows[0].first_line + starts[0];
    piece.new_first_line = held_->windows[1].first_line + starts[1];
    piece.old_offset = held_->windows[0].offset + held_->tables[0].offset(starts[0]);
    piece.old_at_end = at_end[0];
    piece.new_at_end = at_end[1];
    return piece;
  }

  // Both windows reach their inputs' ends: the rest is one piece.
  PassEnd last_piece(const std::array<LinePlace, 2>& places) {
    const std::array<std::size_t, 2> ends{held_->tables[0].size(), held_->tables[1].size()};
    return sink_.take(piece_of(starts_of(places), ends)) ? PassEnd::compared : PassEnd::stopped;
  }

  // No anchor within the windows: the rest of the pair is compared as one
  // piece, its common tail found first so that only the middles are read.
  PassEnd compare_rest(const std::array<LinePlace, 2>& places) {
    const std::array<LinePlace, 2> bases = places_of(starts_of(places));
    held_.reset();
    OffsetSource old_rest(reader_.source(0), bases[0].offset);
    OffsetSource new_rest(reader_.source(1), bases[1].offset);
    const ChunkedEnds ends = find_chunked_ends(old_rest, new_rest, rule_.chunk);
    const Window window = widen_middles(old_rest, ends, shape_.margin, shape_.margin, rule_.chunk);
    old_rest.end_pass();
    new_rest.end_pass();
    const std::string_view old_text =
        rest_(0, bases[0].offset + window.begin, bases[0].offset + window.old_end);
    const std::string_view new_text =
        rest_(1, bases[1].offset + window.begin, bases[1].offset + window.new_end);
    Piece piece;
    piece.old_text = old_text;
    piece.new_text = new_text;
    piece.old_first_line = bases[0].line + window.first_line;
    piece.new_first_line = bases[1].line + window.first_line;
    piece.old_offset = bases[0].offset + window.begin;
    piece.old_at_end = window.old_end == old_rest.size();
    piece.new_at_end = window.new_end == new_rest.size();
    return sink_.take(piece) ? PassEnd::compared : PassEnd::stopped;
  }

  const RegionRule& rule_;
  Shape shape_;
  const RestBytes& rest_;
  PieceSink& sink_;
  ForwardReader reader_;
  std::unique_ptr<HeldWindows> held_;
};

}  // namespace

PassEnd pass_in_regions(ByteSource& old_source, ByteSource& new_source, const RegionRule& rule,
                        const RestBytes& rest, PieceSink& sink) {
  return RegionPass(old_source, new_source, rule, rest, sink).run();
}

}  // namespace ralu
