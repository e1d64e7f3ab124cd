#include "ralu/unified.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace ralu {

namespace {

// The report is composed in a buffer of about this size and handed to the
// sink whole, so that a sink sees few, large writes.
constexpr std::size_t flush_threshold = std::size_t{256} * 1024;

constexpr std::string_view no_line_end_marker = "\\ No newline at end of file\n";

class ReportWriter {
 public:
  ReportWriter(OutputSink& sink, const Palette* palette) : sink_(sink), palette_(palette) {
    buffer_.reserve(flush_threshold + 4096);
  }
  ~ReportWriter() { flush(); }
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  void put(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= flush_threshold) flush();
  }
  void put(char byte) { buffer_.push_back(byte); }
  void put_number(std::size_t number) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, number);
    buffer_.append(digits, result.ptr);
  }

  // One line of a hunk: its marker, its bytes, and the note that it has no
  // line end when it is the last line of an input that lacks one.
  void put_line(char marker, const LineTable& lines, std::size_t index) {
    if (const std::string_view colour = line_colour(marker); !colour.empty()) {
      return put_coloured_line(colour, marker, lines, index);
    }
    put(marker);
    put(lines.line(index));
    if (!lines.has_line_end(index)) {
      put('\n');
      put(no_line_end_marker);
    }
  }

  // Bytes in a colour, when the report has colours; the reset comes before
  // any line feed.
  void put_coloured(std::string_view colour, std::string_view bytes) {
    if (palette_ == nullptr) return put(bytes);
    put(colour);
    put(bytes);
    put(palette_->reset);
  }

  const Palette* palette() const { return palette_; }

  void flush() {
    if (buffer_.empty()) return;
    sink_.write(buffer_);
    buffer_.clear();
  }

 private:
  std::string_view line_colour(char marker) const {
    if (palette_ == nullptr) return {};
    return marker == '-'   ? palette_->deleted
           : marker == '+' ? palette_->inserted
                           : std::string_view();
  }

  void put_coloured_line(std::string_view colour, char marker, const LineTable& lines,
                         std::size_t index) {
    std::string_view line = lines.line(index);
    const bool line_end = lines.has_line_end(index);
    if (line_end) line.remove_suffix(1);
    put(colour);
    put(marker);
    put(line);
    put(palette_->reset);
    put('\n');
    if (!line_end) put(no_line_end_marker);
  }

  OutputSink& sink_;
  const Palette* palette_;
  std::string buffer_;
};

void write_label(ReportWriter& out, std::string_view marker, const FileLabel& label) {
  std::string line(marker);
  line += label.name;
  if (label.modified) {
    line += '\t';
    line += format_time(*label.modified);
  }
  out.put_coloured(out.palette() != nullptr ? out.palette()->header : "", line);
  out.put('\n');
}

// A hunk's range as "first,count", 1-based, with ",count" left out when it is
// 1; an empty range names the line before it.
void write_range(ReportWriter& out, std::size_t begin, std::size_t end) {
  const std::size_t count = end - begin;
  out.put_number(count == 0 ? begin : begin + 1);
  if (count != 1) {
    out.put(',');
    out.put_number(count);
  }
}

// "@@ -1,3 +1,4 @@", then the function line if there is one.
void write_hunk_header(ReportWriter& out, const Hunk& hunk, const ReportStyle& style) {
  if (out.palette() != nullptr) out.put(out.palette()->hunk);
  out.put("@@ -");
  write_range(out, hunk.old_begin, hunk.old_end);
  out.put(" +");
  write_range(out, hunk.new_begin, hunk.new_end);
  out.put(" @@");
  if (out.palette() != nullptr) out.put(out.palette()->reset);
  if (style.function_lines != nullptr) {
    if (const std::string_view text = style.function_lines->before(hunk.old_begin); !text.empty()) {
      out.put(' ');
      out.put(text);
    }
  }
  out.put('\n');
}

void write_hunk(ReportWriter& out, const LineTable& old_lines, const LineTable& new_lines,
                const ChangeMarks& marks, const Hunk& hunk, const ReportStyle& style) {
  write_hunk_header(out, hunk, style);

  std::size_t i = hunk.old_begin;
  std::size_t j = hunk.new_begin;
  while (i < hunk.old_end || j < hunk.new_end) {
    const bool old_changed = i < hunk.old_end && marks.old_changed[i] != 0;
    const bool new_changed = j < hunk.new_end && marks.new_changed[j] != 0;
    if (!old_changed && !new_changed) {
      out.put_line(' ', old_lines, i++);
      ++j;
      continue;
    }
    // A change group: every deleted line, then every inserted one.
    while (i < hunk.old_end && marks.old_changed[i] != 0) out.put_line('-', old_lines, i++);
    while (j < hunk.new_end && marks.new_changed[j] != 0) out.put_line('+', new_lines, j++);
  }
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

void write_unified(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   const LineTable& old_lines, const LineTable& new_lines, const ChangeMarks& marks,
                   std::span<const Hunk> hunks, const ReportStyle& style) {
  if (hunks.empty()) return;
  ReportWriter writer(out, style.palette);
  write_label(writer, "--- ", old_label);
  write_label(writer, "+++ ", new_label);
  for (const Hunk& hunk : hunks) write_hunk(writer, old_lines, new_lines, marks, hunk, style);
}

}  // namespace ralu
