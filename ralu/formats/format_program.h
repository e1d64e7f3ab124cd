// The line and group formats of -D and the format options, read once into a
// list of steps that are then run for every group and every line.
//
// A format is text with escapes that start with '%'. An escape that does not
// read as one of the known ones stands for its '%' alone, and reading goes on
// with the byte after it, as GNU diff has it: "%q" writes "%q", a lone '%' at
// the end writes '%'. So any string is a format, and none is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ralu {

// Which escapes a format may hold: a group format writes the group's lines
// and its numbers have ten letters; a line format writes one line, and its
// numbers only "n", the line's number.
enum class FormatKind { group, line };

enum class FormatOp : std::uint8_t {
  text,          // literal bytes
  line,          // %l: the line without its line feed
  whole_line,    // %L: the line as it is
  old_lines,     // %<: the group's old lines, each through the old line format
  new_lines,     // %>: its new lines, through the new line format
  common_lines,  // %=: its old lines, through the unchanged line format
  number,        // a number printed as printf would print it
  choose,        // %(A=B?: goes on when A equals B, else jumps to the else part
  jump,          // the end of a then part: past the else part
};

// How a number is printed: printf's flags '-' and '0', a width, a precision
// and a base. A width or precision beyond what printf takes prints nothing.
struct NumberLayout {
  bool left_aligned = false;
  bool zero_padded = false;
  bool has_precision = false;
  std::uint64_t width = 0;      // saturates instead of wrapping
  std::uint64_t precision = 0;  // likewise
  unsigned base = 10;
  bool upper_case = false;
  char letter = 'n';  // which number
};

// One side of a condition: a letter's number, or a decimal constant.
struct Operand {
  char letter = 0;  // 0 for a constant
  std::int64_t constant = 0;
};

struct FormatStep {
  FormatOp op = FormatOp::text;
  std::size_t text_begin = 0;  // text: bytes [text_begin, text_end) of the program's text
  std::size_t text_end = 0;
  NumberLayout number;     // number
  Operand left, right;     // choose
  std::size_t target = 0;  // choose: the else part's first step; jump: where to go
};

// A format read into steps. Conditions become jumps, so that running a format
// needs no recursion however deeply its conditions nest.
class FormatProgram {
 public:
  FormatProgram(std::string_view format, FormatKind kind);

  const std::vector<FormatStep>& steps() const { return steps_; }
  std::string_view text(const FormatStep& step) const {
    return std::string_view(text_).substr(step.text_begin, step.text_end - step.text_begin);
  }
  // Whether the format writes a line as it is and nothing else ("%L").
  bool writes_whole_line_only() const {
    return steps_.size() == 1 && steps_[0].op == FormatOp::whole_line;
  }

 private:
  friend class FormatReader;
  std::vector<FormatStep> steps_;
  std::string text_;
};

}  // namespace ralu
