#include "ralu/formats/unified.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"

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
    if (bytes.size() >= flush_threshold) {
      // A huge line goes out as it is, never through a copy.
      flush();
      sink_.write(bytes);
      return;
    }
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
  void put_line(char marker, std::string_view line) {
    if (const std::string_view colour = line_colour(marker); !colour.empty()) {
      return put_coloured_line(colour, marker, line);
    }
    put(marker);
    put(line);
    if (line.back() != '\n') {
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

  void put_coloured_line(std::string_view colour, char marker, std::string_view line) {
    const bool line_end = line.back() == '\n';
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
// 1; an empty range names the line before it. The text's first line is line
// first_line of its input.
void write_range(ReportWriter& out, std::size_t begin, std::size_t end, std::size_t first_line) {
  const std::size_t count = end - begin;
  out.put_number(first_line + (count == 0 ? begin : begin + 1));
  if (count != 1) {
    out.put(',');
    out.put_number(count);
  }
}

// Writes one hunk: its header, then the lines of its groups and of the
// context around and between them, every deleted line of a group before every
// inserted one. The cursors read the inputs front to back across the hunks.
// "@@ -1,3 +1,4 @@", then the function line if there is one.
void write_hunk_header(ReportWriter& out, const Hunk& hunk, const ReportStyle& style) {
  if (out.palette() != nullptr) out.put(out.palette()->hunk);
  out.put("@@ -");
  write_range(out, hunk.old_begin, hunk.old_end, style.old_first_line);
  out.put(" +");
  write_range(out, hunk.new_begin, hunk.new_end, style.new_first_line);
  out.put(" @@");
  if (out.palette() != nullptr) out.put(out.palette()->reset);
  if (style.function_lines != nullptr) {
    if (const std::string_view text =
            style.function_lines->before(style.old_first_line + hunk.old_begin);
        !text.empty()) {
      out.put(' ');
      out.put(text);
    }
  }
  out.put('\n');
}

void write_hunk(ReportWriter& out, LineCursor& old_lines, LineCursor& new_lines,
                const EditScript& script, const Hunk& hunk, const ReportStyle& style) {
  write_hunk_header(out, hunk, style);

  std::size_t i = hunk.old_begin;
  for (std::size_t g = hunk.first_group; g < hunk.end_group; ++g) {
    const ChangeGroup& group = script.groups[g];
    for (; i < group.old_begin; ++i) out.put_line(' ', old_lines.line(i));
    for (; i < group.old_end; ++i) out.put_line('-', old_lines.line(i));
    for (std::size_t j = group.new_begin; j < group.new_end; ++j) {
      out.put_line('+', new_lines.line(j));
    }
  }
  for (; i < hunk.old_end; ++i) out.put_line(' ', old_lines.line(i));
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
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context, const ReportStyle& style) {
  HunkWalker hunks(script, context, style.blank_groups);
  std::optional<Hunk> hunk = hunks.next();
  if (!hunk) return;
  ReportWriter writer(out, style.palette);
  write_label(writer, "--- ", old_label);
  write_label(writer, "+++ ", new_label);
  LineCursor old_lines(old_text), new_lines(new_text);
  for (; hunk; hunk = hunks.next()) write_hunk(writer, old_lines, new_lines, script, *hunk, style);
}

}  // namespace ralu
