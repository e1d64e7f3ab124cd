#include "ralu/formats/rcs.h"

#include <optional>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// "d3 2" deletes two lines from line 3 on; "a5 1" adds one line after line 5,
// both numbered in the old file.
void write_command(ReportWriter& out, char command, std::size_t line, std::size_t count) {
  out.put(command);
  out.put_number(line);
  out.put(' ');
  out.put_number(count);
  out.put('\n');
}

// The lines added, as they are: a last line without a line end stays so.
void write_text(ReportWriter& out, LineCursor& new_lines, std::size_t begin, std::size_t end) {
  for (std::size_t j = begin; j < end; ++j) {
    std::string_view line = new_lines.line(j);
    const bool line_end = line.ends_with('\n');
    if (line_end) line.remove_suffix(1);
    out.put_text(line);
    if (line_end) out.put('\n');
  }
}

}  // namespace

void write_rcs(OutputSink& out, std::string_view old_text, std::string_view new_text,
               const EditScript& script, const ReportStyle& style) {
  (void)old_text;  // the lines deleted are only counted
  ReportWriter writer(out, style);
  LineCursor new_lines(new_text, style.new_lines);
  const std::size_t first_line = style.old_first_line;
  HunkWalker hunks(script, 0);
  while (const std::optional<Hunk> hunk = hunks.next()) {
    if (hunk->old_begin != hunk->old_end) {
      write_command(writer, 'd', first_line + hunk->old_begin + 1, hunk->old_end - hunk->old_begin);
    }
    if (hunk->new_begin != hunk->new_end) {
      write_command(writer, 'a', first_line + hunk->old_end, hunk->new_end - hunk->new_begin);
      write_text(writer, new_lines, hunk->new_begin, hunk->new_end);
    }
  }
}

}  // namespace ralu
