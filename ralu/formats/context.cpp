#include "ralu/formats/context.h"

#include <optional>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunked_form.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/range.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// What a hunk does, to tell which of its halves are shown: the old lines only
// when it deletes some, the new ones only when it inserts some.
struct HunkChanges {
  bool deletes = false;
  bool inserts = false;
};

HunkChanges changes_of(const EditScript& script, const Hunk& hunk) {
  HunkChanges changes;
  for (std::size_t g = hunk.first_group; g < hunk.end_group; ++g) {
    const ChangeGroup& group = script.groups[g];
    changes.deletes = changes.deletes || group.old_begin != group.old_end;
    changes.inserts = changes.inserts || group.new_begin != group.new_end;
  }
  return changes;
}

// "***************", then the function line if there is one.
void write_separator(ReportWriter& out, const Hunk& hunk) {
  out.put("***************");
  write_function_line(out, hunk);
  out.put('\n');
}

// "*** 1,4 ****" or "--- 1,5 ----".
void write_half_header(ReportWriter& out, std::string_view mark, std::size_t begin, std::size_t end,
                       std::size_t first_line) {
  const Palette* palette = out.palette();
  if (palette != nullptr) out.put(palette->hunk);
  out.put(mark);
  out.put(' ');
  write_line_range(out, begin, end, first_line);
  out.put(' ');
  out.put(mark);
  out.put(mark.substr(0, 1));
  if (palette != nullptr) out.put(palette->reset);
  out.put('\n');
}

// One half of a hunk: its lines, those of a group marked "! " when the group
// both deletes and inserts, else with `alone` ("- " or "+ "); the rest are
// context. Reads the old half when `old` is set, the new one otherwise.
void write_half(ReportWriter& out, LineCursor& lines, const EditScript& script, const Hunk& hunk,
                bool old, std::string_view colour) {
  const std::string_view alone = old ? "- " : "+ ";
  std::size_t i = old ? hunk.old_begin : hunk.new_begin;
  for (std::size_t g = hunk.first_group; g < hunk.end_group; ++g) {
    const ChangeGroup& group = script.groups[g];
    const std::size_t begin = old ? group.old_begin : group.new_begin;
    const std::size_t end = old ? group.old_end : group.new_end;
    const bool both = group.old_begin != group.old_end && group.new_begin != group.new_end;
    for (; i < begin; ++i) out.put_line("  ", lines.line(i), colour);
    for (; i < end; ++i) out.put_line(both ? "! " : alone, lines.line(i), colour);
  }
  for (const std::size_t end = old ? hunk.old_end : hunk.new_end; i < end; ++i) {
    out.put_line("  ", lines.line(i), colour);
  }
}

void write_hunk(ReportWriter& out, LineCursor& old_lines, LineCursor& new_lines,
                const EditScript& script, const Hunk& hunk) {
  const HunkChanges changes = changes_of(script, hunk);
  const ReportStyle& style = out.style();
  const Palette* palette = out.palette();
  write_separator(out, hunk);
  write_half_header(out, "***", hunk.old_begin, hunk.old_end, style.old_first_line);
  if (changes.deletes) {
    write_half(out, old_lines, script, hunk, true, palette != nullptr ? palette->deleted : "");
  }
  write_half_header(out, "---", hunk.new_begin, hunk.new_end, style.new_first_line);
  if (changes.inserts) {
    write_half(out, new_lines, script, hunk, false, palette != nullptr ? palette->inserted : "");
  }
}

}  // namespace

void write_context(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context, const ReportStyle& style) {
  write_hunked_form(out, {"*** ", "--- "}, old_label, new_label, old_text, new_text, script,
                    context, style, write_hunk);
}

}  // namespace ralu
