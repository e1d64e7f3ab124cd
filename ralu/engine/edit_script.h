// The edit script: what the engine finds, and what hunks and output read.
#pragma once

#include <cstddef>
#include <vector>

namespace ralu {

// A run of changed lines with no unchanged line inside: old lines [old_begin,
// old_end) replaced by new lines [new_begin, new_end), 0-based; either side
// may be empty, not both.
struct ChangeGroup {
  std::size_t old_begin, old_end, new_begin, new_end;
  // Set under -B and -I when every line the group deletes or inserts is one
  // those options ignore: the hunk walker may then leave the group out.
  bool ignored = false;
};

// Every change group, in order. Lines outside the groups pair up in order as
// the lines the inputs have in common.
struct EditScript {
  std::vector<ChangeGroup> groups;
  std::size_t old_line_count = 0;
  std::size_t new_line_count = 0;
};

}  // namespace ralu
