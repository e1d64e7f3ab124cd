// Reading an input whole and splitting it into lines.
//
// A line is a byte string ended by a line feed; the last line of an input may
// lack one. Every byte value is allowed, NUL included, and a carriage return
// is just a byte of its line.
#pragma once

#include <cstddef>
#include <cstdint>
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

  std::size_t size() const { return line_count_; }
  // Line i with its line feed, if it has one, so that a last line without a
  // line feed never equals the same text with one.
  std::string_view line(std::size_t i) const {
    const std::size_t begin = start(i);
    return std::string_view(bytes_).substr(begin, start(i + 1) - begin);
  }
  // Whether line i ends in a line feed; only the last line may not.
  bool has_line_end(std::size_t i) const { return bytes_[start(i + 1) - 1] == '\n'; }

 private:
  std::size_t start(std::size_t i) const {
    return wide_starts_.empty() ? starts_[i] : wide_starts_[i];
  }

  std::string bytes_;
  // Where each line starts, and one entry past the end. Offsets take 32 bits
  // unless the input is 4 GiB or more, as this table is the largest thing
  // kept per line; only one of the two is filled.
  std::vector<std::uint32_t> starts_;
  std::vector<std::size_t> wide_starts_;
  std::size_t line_count_;
};

}  // namespace ralu
