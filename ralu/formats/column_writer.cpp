#include "ralu/formats/column_writer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace ralu {

namespace {

bool is_printable(unsigned char byte) { return byte >= 0x20 && byte < 0x7f; }

// Where the run of printable bytes that starts at `at` ends. Most lines are
// printable through, so eight bytes are looked at a time: a word holds a
// byte below 0x20 or above 0x7e exactly when the sign bit of that byte is
// set in one of the two masks.
std::size_t printable_run_end(std::string_view text, std::size_t at) {
  constexpr std::uint64_t ones = 0x0101010101010101;
  constexpr std::uint64_t highs = 0x8080808080808080;
  while (at + 8 <= text.size()) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    const std::uint64_t below_blank = (word - ones * 0x20) & ~word & highs;
    const std::uint64_t above_tilde = ((word + ones * (0x7f - 0x7e)) | word) & highs;
    if ((below_blank | above_tilde) != 0) break;
    at += 8;
  }
  while (at < text.size() && is_printable(static_cast<unsigned char>(text[at]))) ++at;
  return at;
}

std::size_t add_capped(std::size_t a, std::size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }

// One side's text as it is written. Two columns are followed, both counted
// from the side's start: where the text would reach were the side unbounded
// (`in_`), and where what was written reaches (`out_`). They part once
// something is left out: a character past the edge, or a tab that would
// cross it.
class SideText {
 public:
  SideText(ColumnWriter& columns, ReportWriter& out, const LineLook& look, std::size_t bound,
           std::size_t indent)
      : columns_(columns), out_(out), look_(look), bound_(bound), indent_(indent) {}

  // Writes the text; gives the column the written text reaches.
  std::size_t put(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
      const auto byte = static_cast<unsigned char>(text[at]);
      if (!is_printable(byte)) {
        put_control(static_cast<char>(byte));
        ++at;
        continue;
      }
      const std::size_t end = printable_run_end(text, at + 1);
      put_printable(text.substr(at, end - at));
      at = end;
    }
    return out_col_;
  }

 private:
  // A run of characters one column wide each: as many as fit.
  void put_printable(std::string_view run) {
    if (in_ < bound_) {
      const std::size_t shown = std::min(run.size(), bound_ - in_);
      out_.put(run.substr(0, shown));
      out_col_ = in_ + shown;
    }
    in_ = add_capped(in_, run.size());
  }

  void put_control(char byte) {
    switch (byte) {
      case '\t':
        return put_tab();
      case '\r':
        return put_carriage_return();
      case '\b':
        return put_backspace();
      case '\f':
      case '\v':
        // They do not move along the line; shown while the text is within the side.
        if (in_ < bound_) out_.put(byte);
        return;
      default:
        // Other bytes take no column, a byte of a multibyte character
        // included, as in the C locale; shown up to the edge itself.
        if (in_ <= bound_) {
          out_col_ = in_;
          out_.put(byte);
        }
        return;
    }
  }

  // A tab is shown only when nothing before it was left out. Expanded, its
  // blanks stop at the edge; kept, it is written only when its stop lies
  // within the side.
  void put_tab() {
    const std::size_t tabsize = look_.tabsize;
    const std::size_t spaces = tabsize - in_ % tabsize;
    if (in_ == out_col_) {
      std::size_t stop = add_capped(out_col_, spaces);
      if (look_.expand_tabs) {
        stop = std::min(stop, bound_);
        if (stop > out_col_) out_.put_repeated(' ', stop - out_col_);
        out_col_ = std::max(out_col_, stop);
      } else if (stop < bound_) {
        out_col_ = stop;
        out_.put('\t');
      }
    }
    in_ = add_capped(in_, spaces);
  }

  // The cursor goes back to the start of the output line: blanks bring it
  // back to the side before the text goes on.
  void put_carriage_return() {
    out_.put('\r');
    columns_.pad(0, indent_);
    in_ = out_col_ = 0;
  }

  // A step back within the side. Where a tab was left out, blanks fill what
  // it would have covered instead, so that the step lands where it should.
  void put_backspace() {
    if (in_ == 0 || --in_ >= bound_) return;
    if (out_col_ <= in_) {
      out_.put_repeated(' ', in_ - out_col_);
      out_col_ = in_;
    } else {
      out_col_ = in_;
      out_.put('\b');
    }
  }

  ColumnWriter& columns_;
  ReportWriter& out_;
  const LineLook& look_;
  std::size_t bound_;
  std::size_t indent_;
  std::size_t in_ = 0;
  std::size_t out_col_ = 0;
};

}  // namespace

void ColumnWriter::pad(std::size_t from, std::size_t to) {
  if (from >= to) return;
  if (!look_.expand_tabs) {
    const std::size_t tabsize = look_.tabsize;
    const std::size_t first_step = tabsize - from % tabsize;
    if (first_step <= to - from) {
      const std::size_t tabs = 1 + (to - from - first_step) / tabsize;
      out_.put_repeated('\t', tabs);
      from += first_step + (tabs - 1) * tabsize;
    }
  }
  out_.put_repeated(' ', to - from);
}

std::size_t ColumnWriter::put_side(std::string_view text, std::size_t indent) {
  return SideText(*this, out_, look_, half_width_, indent).put(text);
}

std::size_t ColumnWriter::put_side(std::string_view text, std::size_t indent, Stretch marked) {
  SideText side(*this, out_, look_, half_width_, indent);
  if (marked.begin >= marked.end) return side.put(text);
  side.put(text.substr(0, marked.begin));
  out_.put(stretch_on);
  side.put(text.substr(marked.begin, marked.end - marked.begin));
  out_.put(stretch_off);
  return side.put(text.substr(marked.end));
}

}  // namespace ralu
