// Writing the text of a line into one side of a side-by-side line: what does
// not fit the side is left out, the tabs stop at its edge, and the control
// characters that move a terminal's cursor are kept and followed.
#pragma once

#include <cstddef>
#include <string_view>

#include "ralu/formats/changed_stretch.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

class ColumnWriter {
 public:
  ColumnWriter(ReportWriter& out, const LineLook& look, std::size_t half_width)
      : out_(out), look_(look), half_width_(half_width) {}

  // Blanks from column `from` up to column `to`: tabs as far as whole tab
  // stops reach, unless tabs are expanded, then spaces.
  void pad(std::size_t from, std::size_t to);

  // A line's text, without its line feed, in a side that starts at column
  // `indent`; gives the column, counted from the side's start, that the
  // written text reaches.
  std::size_t put_side(std::string_view text, std::size_t indent);
  // The same with a stretch of the text marked in reverse video; the marks
  // take no column.
  std::size_t put_side(std::string_view text, std::size_t indent, Stretch marked);

 private:
  ReportWriter& out_;
  const LineLook& look_;
  std::size_t half_width_;
};

}  // namespace ralu
