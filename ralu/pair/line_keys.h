// Line matching that ignores case or white space: each line gets a key, and
// lines match when their keys are equal. The search compares key texts; the
// report still shows the lines themselves.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ralu/engine/lines.h"

namespace ralu {

struct LineMatching {
  bool ignore_case = false;            // -i: ASCII letters match either case
  bool ignore_tab_expansion = false;   // -E: a tab matches the blanks it expands to
  bool ignore_trailing_space = false;  // -Z: white space at the end of a line
  bool ignore_space_change = false;    // -b: how much white space, and any at the end
  bool ignore_all_space = false;       // -w: all white space
  bool strip_trailing_cr = false;      // a carriage return before a line feed is not there
  std::size_t tabsize = 8;             // where -E puts the tab stops: --tabsize's columns

  // Whether lines need keys other than themselves.
  bool needs_keys() const { return ignore_case || ignore_tab_expansion || ignores_white_space(); }
  // Whether white space at the end of a line is ignored; the missing line
  // feed of a last line is such white space too.
  bool ignores_white_space() const {
    return ignore_trailing_space || ignore_space_change || ignore_all_space;
  }

  bool operator==(const LineMatching&) const = default;
};

// The input with one carriage return taken out before each line feed, which
// is what --strip-trailing-cr reads; a last line without a line feed keeps its
// carriage return.
std::string strip_trailing_cr(std::string bytes);

// Appends the key of one line, given without its line feed.
void append_line_key(std::string_view line, const LineMatching& matching, std::string& key);

// The key text of an input: line i is the key of line i, with a line feed
// after every key line but where the input's last line lacks one and white
// space is not ignored. So it has exactly as many lines as the input.
std::string key_text(std::string_view input, const LineMatching& matching);

// Whether a line (or its key) is blank for -B: nothing before its line feed.
inline bool is_blank(std::string_view line) { return line.empty() || line == "\n"; }

}  // namespace ralu
