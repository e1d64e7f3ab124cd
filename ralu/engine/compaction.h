// Compaction: after the search, moving each group of changed lines to where a
// person would cut.
//
// A group of changed lines in one input can slide across equal neighbours: a
// deleted run "b a" after an unchanged "a" deletes the same as "a b" before
// it. Compaction slides every group as far as it goes, merges groups that
// meet, and then settles each group: next to a change in the other input if
// it can reach one, so that the two show as one block; else where blank lines
// and indentation suggest a boundary. It never changes how many lines are
// deleted or inserted, and never splits a group.
#pragma once

#include <cstdint>
#include <span>

#include "ralu/engine/lines.h"

namespace ralu {

// The lines of one input as compaction sees them.
struct CompactionSide {
  std::span<const std::uint32_t> ids;  // the class of each line
  std::span<std::uint8_t> changed;     // 1 for a changed line; compaction moves these
  const LineTable& lines;              // the lines themselves, for blank lines and indentation
};

// Compacts the changes of both inputs. The marks must form an edit script
// (the unchanged lines of both inputs are the same sequence); they still do
// afterwards, with as many changed lines on each side.
void compact(const CompactionSide& old_side, const CompactionSide& new_side);

}  // namespace ralu
