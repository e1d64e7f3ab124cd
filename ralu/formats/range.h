// Line ranges as the forms without a unified header write them.
#pragma once

#include <cstddef>

#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

// Lines [begin, end) of a text whose first line is line first_line of its
// input, 1-based: "4,7" for several, "4" for one, and for none the line
// before them ("3", "0" at the start).
inline void write_line_range(ReportWriter& out, std::size_t begin, std::size_t end,
                             std::size_t first_line) {
  if (end - begin <= 1) {
    out.put_number(first_line + end);
    return;
  }
  out.put_number(first_line + begin + 1);
  out.put(',');
  out.put_number(first_line + end);
}

// 'a' when a hunk only adds lines, 'd' when it only deletes them, 'c' when it
// replaces some with others.
inline char change_letter(const Hunk& hunk) {
  if (hunk.old_begin == hunk.old_end) return 'a';
  return hunk.new_begin == hunk.new_end ? 'd' : 'c';
}

}  // namespace ralu
