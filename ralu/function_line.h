// The text after a hunk's "@@" under -p and -F: the nearest line before the
// hunk that looks like the start of a function.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/pattern.h"
#include "ralu/lines.h"

namespace ralu {

class FunctionLineFinder {
 public:
  // Lines of the old input match when c_function is set and they start with
  // an ASCII letter, '_' or '$' (as -p has it), or when a pattern matches.
  FunctionLineFinder(const LineTable& old_lines, bool c_function,
                     std::vector<std::unique_ptr<platform::LinePattern>> patterns);

  // For a hunk whose old lines start at `begin` (0-based): the last matching
  // line before it, cut to 40 bytes and then stripped of white space at its
  // end; empty when there is none. Hunks are asked for in order, so each call
  // searches only the lines since the last one.
  std::string_view before(std::size_t begin);

 private:
  bool matches(std::string_view line) const;
  std::string_view shown(std::size_t index) const;

  const LineTable& lines_;
  bool c_function_;
  std::vector<std::unique_ptr<platform::LinePattern>> patterns_;
  std::size_t searched_ = 0;  // lines [0, searched_) have been searched
  std::optional<std::size_t> found_;
};

}  // namespace ralu
