// Composing a report: bytes gathered into large writes, and the lines of the
// inputs written with their prefix, their tabs as -t and -T want them, and
// the note that a last line lacks its line end.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

#include "ralu/formats/changed_stretch.h"
#include "ralu/formats/report.h"

namespace ralu {

inline constexpr std::string_view no_line_end_marker = "\\ No newline at end of file\n";

class ReportWriter {
 public:
  ReportWriter(OutputSink& sink, const ReportStyle& style);
  // Writes what is still held, unless the report is being cut short by an
  // exception (from the sink, say): then the rest is dropped, and a sink
  // that throws is not asked again while the first exception is on its way.
  ~ReportWriter() noexcept(false) {
    if (std::uncaught_exceptions() == exceptions_at_start_) flush();
  }
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  void put(std::string_view bytes);
  void put(char byte) { buffer_.push_back(byte); }
  void put_number(std::size_t number);
  // `count` copies of a byte; any count, written in pieces, never held whole.
  void put_repeated(char byte, std::size_t count);

  // A line's text, without its line feed, with tabs expanded under -t
  // (columns counted from the text's start, as a terminal would move) and,
  // as diff has it then, backspaces that would go before the start dropped.
  void put_text(std::string_view text);

  // One line of an input after its prefix ("-", "< ", "! "...): the prefix
  // ends in a tab under -T, the text follows, then a line feed, and the note
  // when the line is the last of an input that lacks one. In colour, the
  // colour spans the prefix and the text, and a stretch of the text that
  // is not empty is marked within it (not under -t, whose tab stops count
  // from the text's start).
  void put_line(std::string_view prefix, std::string_view line, std::string_view colour = {},
                Stretch marked = {});

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
  int exceptions_at_start_ = std::uncaught_exceptions();
};

// A header line naming an input: the marker ("--- ", "*** "...), the name,
// and a tab and the time when the label has one.
void write_file_label(ReportWriter& out, std::string_view marker, const FileLabel& label);

}  // namespace ralu
