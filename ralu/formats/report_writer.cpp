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

// The column a terminal is at after showing `text` (with no tab nor
// backspace) from `column`, as GNU diff counts it for -t: a carriage return
// goes to the line's start, and a byte that does not print (in the C locale,
// any byte outside ASCII's printable ones) takes no room.
std::size_t column_after(std::string_view text, std::size_t column) {
  for (const char c : text) {
    if (c == '\r') {
      column = 0;
    } else if (c >= ' ' && c <= '~') {
      ++column;
    }
  }
  return column;
}

}  // namespace

std::string format_time(const platform::LocalTime& time) {
  const int offset = std::abs(time.utc_offset_minutes);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%09d %c%02d%02d", time.year,
                time.month, time.day, time.hour, time.minute, time.second, time.nanosecond,
                time.utc_offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string format_traditional_time(const platform::LocalTime& time) {
  static constexpr const char* weekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // Days since 1970-01-01 of the civil date, whose weekday was a Thursday.
  const int year = time.month <= 2 ? time.year - 1 : time.year;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int year_of_era = year - era * 400;
  const int day_of_year = (153 * (time.month + (time.month > 2 ? -3 : 9)) + 2) / 5 + time.day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long long days = era * 146097LL + day_of_era - 719468;
  const auto weekday = static_cast<std::size_t>(((days % 7) + 11) % 7);
  char text[64];
  std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %d", weekdays[weekday],
                months[(time.month + 11) % 12], time.day, time.hour, time.minute, time.second,
                time.year);
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
  while (count > 0) {
    const std::size_t piece = std::min(count, flush_threshold);
    buffer_.append(piece, byte);
    count -= piece;
    if (buffer_.size() >= flush_threshold) flush();
  }
}

void ReportWriter::put_text(std::string_view text) {
  constexpr std::string_view special = "\t\b";
  if (!style_.look.expand_tabs || text.find_first_of(special) == std::string_view::npos) {
    return put(text);
  }
  const std::size_t tabsize = style_.look.tabsize;
  std::size_t column = 0;
  std::size_t from = 0;
  for (std::size_t at = text.find_first_of(special); at != std::string_view::npos;
       at = text.find_first_of(special, from)) {
    const std::string_view run = text.substr(from, at - from);
    put(run);
    column = column_after(run, column);
    from = at + 1;
    if (text[at] == '\b') {
      // A backspace at the line's start has nowhere to go, and diff drops it.
      if (column == 0) continue;
      put('\b');
      --column;
      continue;
    }
    const std::size_t blanks = tabsize - column % tabsize;
    put_repeated(' ', blanks);
    column += blanks;
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

void ReportWriter::put_line(std::string_view prefix, std::string_view line, std::string_view colour,
                            Stretch marked) {
  const bool line_end = !line.empty() && line.back() == '\n';
  if (line_end) line.remove_suffix(1);
  const bool coloured = style_.palette != nullptr && !colour.empty();
  if (coloured) put(colour);
  if (line.empty() && style_.look.suppress_blank_empty) {
    // Only the mark, which a context line does not have.
    while (prefix.ends_with(' ')) prefix.remove_suffix(1);
    put(prefix);
  } else {
    put_prefix(prefix);
  }
  if (coloured && marked.begin < marked.end && !style_.look.expand_tabs) {
    put_text(line.substr(0, marked.begin));
    put(stretch_on);
    put_text(line.substr(marked.begin, marked.end - marked.begin));
    put(stretch_off);
    put_text(line.substr(marked.end));
  } else {
    put_text(line);
  }
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

void write_file_label(ReportWriter& out, std::string_view marker, const FileLabel& label) {
  std::string line(marker);
  line += label.name;
  if (label.modified) {
    line += '\t';
    line += label.traditional_time ? format_traditional_time(*label.modified)
                                   : format_time(*label.modified);
  }
  out.put_coloured(out.palette() != nullptr ? out.palette()->header : "", line);
  out.put('\n');
}

}  // namespace ralu
