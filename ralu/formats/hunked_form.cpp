#include "ralu/formats/hunked_form.h"

#include <optional>

namespace ralu {

void write_function_line(ReportWriter& out, const Hunk& hunk) {
  const ReportStyle& style = out.style();
  if (style.function_lines == nullptr) return;
  const std::string_view text = style.function_lines->before(style.old_first_line + hunk.old_begin);
  if (text.empty()) return;
  out.put(' ');
  out.put(text);
}

void write_hunked_form(OutputSink& out, HeaderMarks marks, const FileLabel& old_label,
                       const FileLabel& new_label, std::string_view old_text,
                       std::string_view new_text, const EditScript& script, std::size_t context,
                       const ReportStyle& style, HunkWriter write_hunk) {
  HunkWalker hunks(script, context);
  std::optional<Hunk> hunk = hunks.next();
  if (!hunk) return;
  ReportWriter writer(out, style);
  if (style.header) {
    write_file_label(writer, marks.old_mark, old_label);
    write_file_label(writer, marks.new_mark, new_label);
  }
  LineCursor old_lines(old_text, style.old_lines), new_lines(new_text, style.new_lines);
  for (; hunk; hunk = hunks.next()) write_hunk(writer, old_lines, new_lines, script, *hunk);
}

}  // namespace ralu
