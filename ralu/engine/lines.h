// Splitting an input's bytes into lines.
//
// A line is a byte string ended by a line feed; the last line of an input may
// lack one. Every byte value is allowed, NUL included, and a carriage return
// is just a byte of its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ralu/engine/large_array.h"

namespace ralu {

// Lines are numbered with 32-bit integers inside the engine, which bounds how
// many lines one input may have.
inline constexpr std::size_t max_lines = (std::size_t{1} << 31) - 2;

// White space as line matching and the function lines know it: blank, tab,
// vertical tab, form feed and carriage return.
constexpr bool is_white_space(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f' || byte == '\r';
}

// How many line feeds bytes holds.
std::size_t count_line_feeds(std::string_view bytes);

// Whether bytes holds a NUL byte, which makes an input binary.
inline bool holds_nul(std::string_view bytes) { return bytes.find('\0') != std::string_view::npos; }

// How many lines bytes holds: its line feeds, and one more for a last line
// without one.
std::size_t count_lines(std::string_view bytes);

// Where each line of some bytes starts. The table views the bytes, which must
// outlive it.
class LineTable {
 public:
  explicit LineTable(std::string_view bytes);

  std::size_t size() const { return line_count_; }
  // Line i with its line feed, if it has one, so that a last line without a
  // line feed never equals the same text with one.
  std::string_view line(std::size_t i) const {
    const std::size_t begin = start(i);
    return bytes_.substr(begin, start(i + 1) - begin);
  }
  // Whether line i ends in a line feed; only the last line may not.
  bool has_line_end(std::size_t i) const { return bytes_[start(i + 1) - 1] == '\n'; }
  // Where line i starts in the bytes; line size() starts at their end.
  std::size_t offset(std::size_t i) const { return start(i); }

 private:
  std::size_t start(std::size_t i) const {
    return wide_starts_.empty() ? starts_[i] : wide_starts_[i];
  }

  std::string_view bytes_;
  // Where each line starts, and one entry past the end. Offsets take 32 bits
  // unless the bytes are 4 GiB or more, as this table is the largest thing
  // kept per line; only one of the two is filled.
  LargeArray<std::uint32_t> starts_;
  LargeArray<std::size_t> wide_starts_;
  std::size_t line_count_;
};

// Reads the lines of some bytes front to back, for output: nothing is kept per
// line, so a report on huge inputs costs no more memory than its inputs.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes) : bytes_(bytes) {}

  // Line `number` (0-based), which must exist. Reading forward is cheap;
  // stepping back (hunks under -B may overlap, as GNU diff's do) costs the
  // lines stepped over.
  std::string_view line(std::size_t number);

 private:
  void skip_lines(std::size_t count);
  void back_lines(std::size_t count);

  std::string_view bytes_;
  std::size_t number_ = 0;  // the line that starts at offset_
  std::size_t offset_ = 0;
  std::size_t end_ = 0;  // where that line ends, once it has been read; 0 before
};

}  // namespace ralu
