// Reading an input whole and splitting it into lines.
//
// A line is a byte string ended by a line feed; the last line of an input may
// lack one. Every byte value is allowed, NUL included, and a carriage return
// is just a byte of its line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace ralu {

// Lines are numbered with 32-bit integers inside the engine, which bounds how
// many lines one input may have.
inline constexpr std::size_t max_lines = (std::size_t{1} << 31) - 2;

// Reads a whole input by name; "-" is standard input.
platform::ReadOutcome read_input(const char* name);

// An input's bytes and where each of its lines starts.
class LineTable {
 public:
  explicit LineTable(std::string bytes);

  std::size_t size() const { return starts_.size() - 1; }
  // Line i with its line feed, if it has one, so that a last line without a
  // line feed never equals the same text with one.
  std::string_view line(std::size_t i) const {
    return std::string_view(bytes_).substr(starts_[i], starts_[i + 1] - starts_[i]);
  }
  // Whether line i ends in a line feed; only the last line may not.
  bool has_line_end(std::size_t i) const { return bytes_[starts_[i + 1] - 1] == '\n'; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::vector<std::size_t> starts_;  // one entry a line and one past the end
};

}  // namespace ralu
