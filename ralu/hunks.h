// Hunk assembly: grouping changed lines, with lines of context around them,
// into the hunks of a unified diff.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ralu {

// Lines [old_begin, old_end) of the old input against [new_begin, new_end) of
// the new one, context included; 0-based.
struct Hunk {
  std::size_t old_begin;
  std::size_t old_end;
  std::size_t new_begin;
  std::size_t new_end;
};

// The hunks for the given change marks (see ChangeMarks), each change with up
// to `context` unchanged lines before and after it. Changes whose context
// would touch or overlap share a hunk.
std::vector<Hunk> assemble_hunks(std::span<const std::uint8_t> old_changed,
                                 std::span<const std::uint8_t> new_changed, std::size_t context);

}  // namespace ralu
