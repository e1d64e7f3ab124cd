#include "ralu/formats/format_program.h"

#include <limits>
#include <optional>

namespace ralu {

namespace {

constexpr std::string_view group_letters = "eflmnEFLMN";

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_octal(char c) { return c >= '0' && c <= '7'; }

// Digits from `at` on as a number that stops growing at the type's largest
// value; `at` moves past them.
std::uint64_t read_saturated(std::string_view text, std::size_t& at) {
  constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (; at < text.size() && is_digit(text[at]); ++at) {
    const auto digit = static_cast<std::uint64_t>(text[at] - '0');
    value = value > (most - digit) / 10 ? most : value * 10 + digit;
  }
  return value;
}

}  // namespace

// Reads a format into its program: one pass, with the conditions still open
// on a stack of their own.
class FormatReader {
 public:
  FormatReader(FormatProgram& program, std::string_view format, FormatKind kind)
      : program_(program), format_(format), kind_(kind) {}

  void read() {
    while (at_ < format_.size()) {
      if (!open_.empty() && format_[at_] == terminator()) {
        ++at_;
        end_part();
      } else if (format_[at_] != '%' || !read_escape()) {
        // Text, or a '%' that begins no escape: it stands for itself, and
        // what follows it is read as text.
        add_text(format_[at_++]);
      }
    }
    // The format's end ends every part still open, each else part empty.
    while (!open_.empty()) end_part_at_end();
  }

 private:
  // A condition being read: its choose step, and its jump once the then part
  // has ended.
  struct OpenCondition {
    std::size_t choose;
    std::optional<std::size_t> jump;
  };

  // A then part ends at ':', an else part at ')'.
  char terminator() const { return open_.back().jump ? ')' : ':'; }

  void end_part() {
    OpenCondition& open = open_.back();
    if (!open.jump) {
      open.jump = add_step(FormatOp::jump);
      steps()[open.choose].target = steps().size();
      return;
    }
    steps()[*open.jump].target = steps().size();
    open_.pop_back();
    text_step_ = std::nullopt;
  }

  void end_part_at_end() {
    const OpenCondition& open = open_.back();
    steps()[open.jump ? *open.jump : open.choose].target = steps().size();
    open_.pop_back();
  }

  // Reads the escape whose '%' is at at_; false, and nothing read, when what
  // follows is no escape.
  bool read_escape() {
    std::size_t at = at_ + 1;
    if (at == format_.size()) return false;
    const char c = format_[at];
    if (c == '%') {
      add_text('%');
      ++at;
    } else if (c == 'c') {
      const std::optional<char> byte = read_character(++at);
      if (!byte) return false;
      add_text(*byte);
    } else if (const std::optional<FormatOp> op = lines_op(c)) {
      add_step(*op);
      ++at;
    } else if (c == '(' && kind_ == FormatKind::group) {
      if (!read_condition(++at)) return false;
    } else if (!read_number(at)) {
      return false;
    }
    at_ = at;
    return true;
  }

  std::optional<FormatOp> lines_op(char c) const {
    if (kind_ == FormatKind::line) {
      if (c == 'l') return FormatOp::line;
      if (c == 'L') return FormatOp::whole_line;
      return std::nullopt;
    }
    if (c == '<') return FormatOp::old_lines;
    if (c == '>') return FormatOp::new_lines;
    if (c == '=') return FormatOp::common_lines;
    return std::nullopt;
  }

  // 'C' or '\OOO' (one to three octal digits, the value's low byte) after
  // "%c"; C is neither a backslash nor an apostrophe.
  std::optional<char> read_character(std::size_t& at) const {
    if (at >= format_.size() || format_[at] != '\'') return std::nullopt;
    ++at;
    if (at >= format_.size()) return std::nullopt;
    unsigned value = 0;
    if (format_[at] == '\\') {
      const std::size_t first = ++at;
      for (; at < format_.size() && at - first < 3 && is_octal(format_[at]); ++at) {
        value = value * 8 + static_cast<unsigned>(format_[at] - '0');
      }
      if (at == first) return std::nullopt;
    } else if (format_[at] == '\'') {
      return std::nullopt;
    } else {
      value = static_cast<unsigned char>(format_[at++]);
    }
    if (at >= format_.size() || format_[at] != '\'') return std::nullopt;
    ++at;
    return static_cast<char>(value & 0xFF);
  }

  // "A=B?" after "%(".
  bool read_condition(std::size_t& at) {
    FormatStep step;
    step.op = FormatOp::choose;
    if (!read_operand(at, step.left) || at >= format_.size() || format_[at++] != '=' ||
        !read_operand(at, step.right) || at >= format_.size() || format_[at++] != '?') {
      return false;
    }
    steps().push_back(step);
    text_step_ = std::nullopt;
    open_.push_back({steps().size() - 1, std::nullopt});
    return true;
  }

  // A letter, or a decimal constant that fits a signed 64-bit number.
  bool read_operand(std::size_t& at, Operand& operand) const {
    if (at >= format_.size()) return false;
    if (group_letters.find(format_[at]) != std::string_view::npos) {
      operand.letter = format_[at++];
      return true;
    }
    if (!is_digit(format_[at])) return false;
    const std::uint64_t value = read_saturated(format_, at);
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return false;
    operand.constant = static_cast<std::int64_t>(value);
    return true;
  }

  // Flags, width, precision, 'd', 'o', 'x' or 'X', then the number's letter.
  bool read_number(std::size_t& at) {
    NumberLayout layout;
    for (; at < format_.size(); ++at) {
      const char flag = format_[at];
      if (flag == '-') {
        layout.left_aligned = true;
      } else if (flag == '0') {
        layout.zero_padded = true;
      } else if (flag != '\'') {  // grouping digits: nothing to group in the C locale
        break;
      }
    }
    layout.width = read_saturated(format_, at);
    if (at < format_.size() && format_[at] == '.') {
      layout.has_precision = true;
      layout.precision = read_saturated(format_, ++at);
    }
    if (at + 1 >= format_.size() || !read_conversion(format_[at], layout)) return false;
    const char letter = format_[at + 1];
    const bool known = kind_ == FormatKind::line
                           ? letter == 'n'
                           : group_letters.find(letter) != std::string_view::npos;
    if (!known) return false;
    layout.letter = letter;
    at += 2;
    FormatStep step;
    step.op = FormatOp::number;
    step.number = layout;
    steps().push_back(step);
    text_step_ = std::nullopt;
    return true;
  }

  static bool read_conversion(char c, NumberLayout& layout) {
    switch (c) {
      case 'd':
        layout.base = 10;
        return true;
      case 'o':
        layout.base = 8;
        return true;
      case 'x':
      case 'X':
        layout.base = 16;
        layout.upper_case = c == 'X';
        return true;
      default:
        return false;
    }
  }

  std::size_t add_step(FormatOp op) {
    FormatStep step;
    step.op = op;
    steps().push_back(step);
    text_step_ = std::nullopt;
    return steps().size() - 1;
  }

  // Literal bytes in a row make one step, unless a jump lands between them.
  void add_text(char byte) {
    std::string& text = program_.text_;
    if (!text_step_) {
      FormatStep step;
      step.text_begin = step.text_end = text.size();
      steps().push_back(step);
      text_step_ = steps().size() - 1;
    }
    text.push_back(byte);
    steps()[*text_step_].text_end = text.size();
  }

  std::vector<FormatStep>& steps() { return program_.steps_; }

  FormatProgram& program_;
  std::string_view format_;
  FormatKind kind_;
  std::size_t at_ = 0;
  std::vector<OpenCondition> open_;
  std::optional<std::size_t> text_step_;  // the text step that new literal bytes extend
};

FormatProgram::FormatProgram(std::string_view format, FormatKind kind) {
  FormatReader(*this, format, kind).read();
}

}  // namespace ralu
