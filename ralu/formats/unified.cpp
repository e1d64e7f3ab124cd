#include "ralu/formats/unified.h"

#include <optional>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunked_form.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

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

// "@@ -1,3 +1,4 @@", then the function line if there is one.
void write_hunk_header(ReportWriter& out, const Hunk& hunk) {
  if (out.palette() != nullptr) out.put(out.palette()->hunk);
  write_unified_hunk_ranges(out, hunk);
  if (out.palette() != nullptr) out.put(out.palette()->reset);
  write_function_line(out, hunk);
  out.put('\n');
}

// Writes one hunk: its header, then the lines of its groups and of the
// context around and between them, every deleted line of a group before every
// inserted one. The cursors read the inputs front to back across the hunks.
void write_hunk(ReportWriter& out, LineCursor& old_lines, LineCursor& new_lines,
                const EditScript& script, const Hunk& hunk) {
  write_hunk_header(out, hunk);
  const Palette* palette = out.palette();
  const std::string_view deleted = palette != nullptr ? palette->deleted : "";
  const std::string_view inserted = palette != nullptr ? palette->inserted : "";
  std::size_t i = hunk.old_begin;
  for (std::size_t g = hunk.first_group; g < hunk.end_group; ++g) {
    const ChangeGroup& group = script.groups[g];
    for (; i < group.old_begin; ++i) out.put_line(" ", old_lines.line(i));
    for (; i < group.old_end; ++i) out.put_line("-", old_lines.line(i), deleted);
    for (std::size_t j = group.new_begin; j < group.new_end; ++j) {
      out.put_line("+", new_lines.line(j), inserted);
    }
  }
  for (; i < hunk.old_end; ++i) out.put_line(" ", old_lines.line(i));
}

}  // namespace

void write_unified_hunk_ranges(ReportWriter& out, const Hunk& hunk) {
  const ReportStyle& style = out.style();
  out.put("@@ -");
  write_range(out, hunk.old_begin, hunk.old_end, style.old_first_line);
  out.put(" +");
  write_range(out, hunk.new_begin, hunk.new_end, style.new_first_line);
  out.put(" @@");
}

void write_unified(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context, const ReportStyle& style) {
  write_hunked_form(out, {"--- ", "+++ "}, old_label, new_label, old_text, new_text, script,
                    context, style, write_hunk);
}

}  // namespace ralu
