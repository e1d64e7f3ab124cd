#include "ralu/formats/report_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace ralu {

namespace {

// The report is composed in a buffer of about this size and handed to the
// sink whole, so that a sink sees few, large writes.
constexpr std::size_t flush_threshold = std::size_t{256} * 1024;

}  // namespace

std::string format_time(const platform::LocalTime& time) {
  const int offset = std::abs(time.utc_offset_minutes);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%09d %c%02d%02d", time.year,
                time.month, time.day, time.hour, time.minute, time.second, time.nanosecond,
                time.utc_offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

ReportWriter::ReportWriter(OutputSink& sink, const ReportStyle& style)
    : sink_(sink), style_(style) {
  buffer_.reserve(flush_threshold + 4096);
}

void ReportWriter::put(std::string_view bytes) {
  if (bytes.size() >= flush_threshold) {
    // A huge line goes out as it is, never through a copy.
    flush();
    sink_.write(bytes);
    return;
  }
  buffer_.append(bytes);
  if (buffer_.size() >= flush_threshold) flush();
}

void ReportWriter::put_number(std::size_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  buffer_.append(digits, result.ptr);
}

void ReportWriter::put_repeated(char byte, std::size_t count) {
  // A wide column is padded a buffer's worth at a time.
  while (count > 0) {
    const std::size_t part = std::min(count, flush_threshold);
    buffer_.append(part, byte);
    count -= part;
    if (buffer_.size() >= flush_threshold) flush();
  }
}

void ReportWriter::put_text(std::string_view text) {
  if (!style_.look.expand_tabs || text.find('\t') == std::string_view::npos) return put(text);
  const std::size_t tabsize = style_.look.tabsize;
  std::size_t column = 0;
  std::size_t from = 0;
  for (std::size_t tab = text.find('\t'); tab != std::string_view::npos;
       tab = text.find('\t', from)) {
    put(text.substr(from, tab - from));
    column += tab - from;
    const std::size_t blanks = tabsize - column % tabsize;
    buffer_.append(blanks, ' ');
    column += blanks;
    from = tab + 1;
  }
  put(text.substr(from));
}

void ReportWriter::put_prefix(std::string_view prefix) {
  if (!style_.look.initial_tab) return put(prefix);
  // "- " and " " lose their blank to the tab; "-" keeps its marker.
  if (prefix.ends_with(' ')) prefix.remove_suffix(1);
  put(prefix);
  put('\t');
}

void ReportWriter::put_line(std::string_view prefix, std::string_view line,
                            std::string_view colour) {
  const bool line_end = !line.empty() && line.back() == '\n';
  if (line_end) line.remove_suffix(1);
  const bool coloured = style_.palette != nullptr && !colour.empty();
  if (coloured) put(colour);
  put_prefix(prefix);
  put_text(line);
  if (coloured) put(style_.palette->reset);
  put('\n');
  if (!line_end) put(no_line_end_marker);
}

void ReportWriter::put_coloured(std::string_view colour, std::string_view bytes) {
  if (style_.palette == nullptr) return put(bytes);
  put(colour);
  put(bytes);
  put(style_.palette->reset);
}

void ReportWriter::flush() {
  if (buffer_.empty()) return;
  sink_.write(buffer_);
  buffer_.clear();
}

}  // namespace ralu
