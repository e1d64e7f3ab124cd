#include "ralu/formats/ed.h"

#include <optional>
#include <vector>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/range.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// "3,5c", "7a", "2d": the old lines a command works on, and the command. An
// empty range names the line before it, which is the line an "a" adds after.
void write_command(ReportWriter& out, const Hunk& hunk) {
  write_line_range(out, hunk.old_begin, hunk.old_end, out.style().old_first_line);
  out.put(change_letter(hunk));
  out.put('\n');
}

// The lines an "a" or "c" command brings, ended by a line holding only ".".
// A line that is itself "." would end them early: it is written "..", the
// text ends there, "s/.//" makes it "." again, and an "a" goes on after it.
void write_text(ReportWriter& out, LineCursor& new_lines, std::size_t begin, std::size_t end) {
  for (std::size_t j = begin; j < end; ++j) {
    std::string_view line = new_lines.line(j);
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line == ".") {
      out.put("..\n.\ns/.//\n");
      if (j + 1 < end) out.put("a\n");
      continue;
    }
    out.put_text(line);
    out.put('\n');
    if (j + 1 == end) out.put(".\n");
  }
}

}  // namespace

void write_forward_ed(OutputSink& out, std::string_view new_text, const EditScript& script,
                      const ReportStyle& style) {
  ReportWriter writer(out, style);
  LineCursor new_lines(new_text, style.new_lines);
  HunkWalker walker(script, 0);
  while (const std::optional<Hunk> hunk = walker.next()) {
    writer.put(change_letter(*hunk));
    // The old lines by their first and last numbers, counted from 1; an "a"
    // names the line it adds after.
    const std::size_t first = style.old_first_line + hunk->old_begin;
    const std::size_t last = style.old_first_line + hunk->old_end;
    writer.put_number(hunk->old_begin == hunk->old_end ? first : first + 1);
    if (last > first + 1) {
      writer.put(' ');
      writer.put_number(last);
    }
    writer.put('\n');
    if (hunk->new_begin == hunk->new_end) continue;
    for (std::size_t j = hunk->new_begin; j < hunk->new_end; ++j) {
      std::string_view line = new_lines.line(j);
      if (line.ends_with('\n')) line.remove_suffix(1);
      writer.put_text(line);
      writer.put('\n');
    }
    writer.put(".\n");
  }
}

std::string_view with_final_line_end(std::string_view text, std::string& storage) {
  if (text.empty() || text.back() == '\n') return text;
  if (storage.data() != text.data()) storage = text;
  storage += '\n';
  return storage;
}

void write_ed(OutputSink& out, std::string_view old_text, std::string_view new_text,
              const EditScript& script, const ReportStyle& style) {
  (void)old_text;  // an ed script never shows the lines it deletes
  std::vector<Hunk> hunks;
  HunkWalker walker(script, 0);
  while (const std::optional<Hunk> hunk = walker.next()) hunks.push_back(*hunk);

  ReportWriter writer(out, style);
  LineCursor new_lines(new_text, style.new_lines);
  // From the last change to the first, so that each command's line numbers
  // are those of the old file still.
  for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
    write_command(writer, *hunk);
    write_text(writer, new_lines, hunk->new_begin, hunk->new_end);
  }
}

}  // namespace ralu
