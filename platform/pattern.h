// Basic regular expressions for matching a line, the kind `grep` takes.
// POSIX systems use the C library's, which knows the GNU extensions \| \+ \?;
// on Windows the standard library's basic grammar.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class LinePattern {
 public:
  virtual ~LinePattern() = default;
  // Whether the pattern matches somewhere in the line (given without its line
  // feed; any byte may occur).
  virtual bool matches(std::string_view line) const = 0;
};

// The compiled pattern, or null with the reason in `error`.
std::unique_ptr<LinePattern> compile_line_pattern(const std::string& pattern, std::string& error);

}  // namespace platform
