// The common head and tail of two inputs, found on their bytes before any line
// is split or hashed, so that inputs which differ in a few places cost what
// their differences cost.
#pragma once

#include <cstddef>
#include <string_view>

namespace ralu {

// Both inputs split into a head and a tail that are the same lines in both,
// and a middle in between. Head and tail hold whole lines only.
struct CommonEnds {
  std::size_t head_bytes;  // the head's length in bytes, also where the middles start
  std::size_t head_lines;
  std::size_t old_tail_start;  // where the tail starts in the old input
  std::size_t new_tail_start;  // and in the new one

  std::string_view old_middle(std::string_view old_text) const {
    return old_text.substr(head_bytes, old_tail_start - head_bytes);
  }
  std::string_view new_middle(std::string_view new_text) const {
    return new_text.substr(head_bytes, new_tail_start - head_bytes);
  }
};

// The length of the longest common prefix of a and b, and of their longest
// common suffix: compared a block at a time with memcmp, and only the block
// that holds the first difference byte by byte.
std::size_t common_prefix(std::string_view a, std::string_view b);
std::size_t common_suffix(std::string_view a, std::string_view b);

// Finds the longest common head and tail of whole lines, then gives `margin`
// lines of each back to the middle (as far as there are any), so that what
// works on the middle can still see a few equal lines around it.
CommonEnds find_common_ends(std::string_view old_text, std::string_view new_text,
                            std::size_t margin);

}  // namespace ralu
