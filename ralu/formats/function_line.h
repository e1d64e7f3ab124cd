// The text after a hunk's "@@" under -p and -F: the nearest line before the
// hunk that looks like the start of a function.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/pattern.h"
#include "ralu/engine/lines.h"

namespace ralu {

class FunctionLineFinder {
 public:
  // Lines of the old input (old_text, from its first line on) match when
  // c_function is set and they start with an ASCII letter, '_' or '$' (as -p
  // has it), or when a pattern matches. Under strip_trailing_cr a carriage
  // return before a line's line feed is not part of it.
  // The patterns are the caller's, shared with other finders.
  FunctionLineFinder(std::string_view old_text, bool c_function,
                     std::span<const std::unique_ptr<platform::LinePattern>> patterns,
                     bool strip_trailing_cr = false);

  // For a hunk whose old lines start at line `begin` (0-based): the last
  // matching line before it, cut to 40 bytes and then stripped of white space
  // at its end; empty when there is none. Hunks are asked for in order, so each
  // call searches only the lines since the last one, from the hunk backwards;
  // nothing is kept per line.
  std::string_view before(std::size_t begin);

 private:
  std::string_view content(std::string_view line) const;
  bool matches(std::string_view line) const;
  std::string_view shown(std::string_view line) const;
  std::size_t start_of(std::size_t line);

  std::string_view text_;
  LineCursor cursor_;
  bool c_function_;
  bool strip_trailing_cr_;
  std::span<const std::unique_ptr<platform::LinePattern>> patterns_;
  std::size_t searched_ = 0;      // lines [0, searched_) have been searched
  std::size_t searched_end_ = 0;  // where line searched_ starts
  std::optional<std::string_view> found_;
};

}  // namespace ralu
