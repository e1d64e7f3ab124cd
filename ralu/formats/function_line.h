// The text after a hunk's "@@" under -p and -F: the nearest line before the
// hunk that looks like the start of a function.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/pattern.h"
#include "ralu/engine/lines.h"

namespace ralu {

// Which lines are function lines, and how one is shown.
class FunctionLineMatcher {
 public:
  // Lines match when c_function is set and they start with an ASCII letter,
  // '_' or '$' (as -p has it), or when a pattern matches. Under
  // strip_trailing_cr a carriage return before a line's line feed is not part
  // of it. The patterns are the caller's, shared with other matchers.
  FunctionLineMatcher(bool c_function,
                      std::span<const std::unique_ptr<platform::LinePattern>> patterns,
                      bool strip_trailing_cr = false)
      : c_function_(c_function), strip_trailing_cr_(strip_trailing_cr), patterns_(patterns) {}

  // A line, with its line end, as it is matched.
  std::string_view content(std::string_view line) const;
  bool matches(std::string_view content) const;
  // A matching line's content as the hunk header shows it: without the white
  // space it starts with, cut to 40 bytes, then stripped of white space at
  // its end.
  static std::string_view shown(std::string_view content);

 private:
  bool c_function_;
  bool strip_trailing_cr_;
  std::span<const std::unique_ptr<platform::LinePattern>> patterns_;
};

class FunctionLineFinder {
 public:
  // Searches the lines of the old input (old_text, from its first line on,
  // unless placed elsewhere in the input) as a FunctionLineMatcher made of
  // the same arguments matches them.
  FunctionLineFinder(std::string_view old_text, bool c_function,
                     std::span<const std::unique_ptr<platform::LinePattern>> patterns,
                     bool strip_trailing_cr = false);

  // For a hunk whose old lines start at line `begin` (0-based, of the input):
  // the last matching line before it, as the matcher shows it; empty when
  // there is none. Hunks are asked for in order, so each call searches only
  // the lines since the last one, from the hunk backwards; nothing is kept
  // per line.
  std::string_view before(std::size_t begin);

  // Where the text is a part of its input: the number of its first line in
  // the input, which `before` is asked with, and the function line shown
  // for a hunk with none in the text before it.
  void place_in_input(std::size_t first_line, std::string_view shown_before) {
    first_line_ = first_line;
    before_text_ = shown_before;
  }

 private:
  std::size_t start_of(std::size_t line);

  std::string_view text_;
  LineCursor cursor_;
  FunctionLineMatcher matcher_;
  std::size_t first_line_ = 0;
  std::string before_text_;
  std::size_t searched_ = 0;      // lines [0, searched_) have been searched
  std::size_t searched_end_ = 0;  // where line searched_ starts
  std::optional<std::string_view> found_;
};

}  // namespace ralu
