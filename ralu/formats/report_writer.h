// Composing a report: bytes gathered into large writes, and the lines of the
// inputs written with their prefix, their tabs as -t and -T want them, and
// the note that a last line lacks its line end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ralu/formats/report.h"

namespace ralu {

inline constexpr std::string_view no_line_end_marker = "\\ No newline at end of file\n";

class ReportWriter {
 public:
  ReportWriter(OutputSink& sink, const ReportStyle& style);
  ~ReportWriter() { flush(); }
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  void put(std::string_view bytes);
  void put(char byte) { buffer_.push_back(byte); }
  void put_number(std::size_t number);
  // `count` copies of a byte, as the blanks that pad a column.
  void put_repeated(char byte, std::size_t count);

  // A line's text, without its line feed, with tabs expanded under -t
  // (columns counted from the text's start).
  void put_text(std::string_view text);

  // One line of an input after its prefix ("-", "< ", "! "...): the prefix
  // ends in a tab under -T, the text follows, then a line feed, and the note
  // when the line is the last of an input that lacks one. In colour, the
  // colour spans the prefix and the text.
  void put_line(std::string_view prefix, std::string_view line, std::string_view colour = {});

  // Bytes in a colour, when the report has colours; the reset comes before
  // any line feed.
  void put_coloured(std::string_view colour, std::string_view bytes);

  const Palette* palette() const { return style_.palette; }
  const ReportStyle& style() const { return style_; }

  void flush();

 private:
  void put_prefix(std::string_view prefix);

  OutputSink& sink_;
  const ReportStyle& style_;
  std::string buffer_;
};

}  // namespace ralu
