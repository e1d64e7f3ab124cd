#include "ralu/formats/normal.h"

#include <optional>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/range.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// "2,3c2", "0a1", "4d3": the old lines, the kind of change, the new lines.
void write_command(ReportWriter& out, const Hunk& hunk) {
  const ReportStyle& style = out.style();
  const Palette* palette = out.palette();
  if (palette != nullptr) out.put(palette->hunk);
  write_line_range(out, hunk.old_begin, hunk.old_end, style.old_first_line);
  out.put(change_letter(hunk));
  write_line_range(out, hunk.new_begin, hunk.new_end, style.new_first_line);
  if (palette != nullptr) out.put(palette->reset);
  out.put('\n');
}

void write_change(ReportWriter& out, LineCursor& old_lines, LineCursor& new_lines,
                  const Hunk& hunk) {
  write_command(out, hunk);
  const Palette* palette = out.palette();
  for (std::size_t i = hunk.old_begin; i < hunk.old_end; ++i) {
    out.put_line("< ", old_lines.line(i), palette != nullptr ? palette->deleted : "");
  }
  if (hunk.old_begin != hunk.old_end && hunk.new_begin != hunk.new_end) out.put("---\n");
  for (std::size_t j = hunk.new_begin; j < hunk.new_end; ++j) {
    out.put_line("> ", new_lines.line(j), palette != nullptr ? palette->inserted : "");
  }
}

}  // namespace

void write_normal(OutputSink& out, std::string_view old_text, std::string_view new_text,
                  const EditScript& script, const ReportStyle& style) {
  ReportWriter writer(out, style);
  LineCursor old_lines(old_text, style.old_lines), new_lines(new_text, style.new_lines);
  // Without context every change stands alone.
  HunkWalker hunks(script, 0);
  while (const std::optional<Hunk> hunk = hunks.next()) {
    write_change(writer, old_lines, new_lines, *hunk);
  }
}

}  // namespace ralu
