#include "ralu/formats/unified.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunked_form.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

std::string_view text_of(std::string_view line) {
  return !line.empty() && line.back() == '\n' ? line.substr(0, line.size() - 1) : line;
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

// "@@ -1,3 +1,4 @@", then the function line if there is one.
void write_hunk_header(ReportWriter& out, const Hunk& hunk) {
  if (out.palette() != nullptr) out.put(out.palette()->hunk);
  write_unified_hunk_ranges(out, hunk);
  if (out.palette() != nullptr) out.put(out.palette()->reset);
  write_function_line(out, hunk);
  out.put('\n');
}

// The stretches where the paired lines of a group differ: its k-th deleted
// line with its k-th inserted one, as far as both go.
std::vector<std::array<Stretch, 2>> group_stretches(LineCursor& old_lines, LineCursor& new_lines,
                                                    const ChangeGroup& group) {
  const std::size_t pairs =
      std::min(group.old_end - group.old_begin, group.new_end - group.new_begin);
  std::vector<std::array<Stretch, 2>> stretches;
  stretches.reserve(pairs);
  for (std::size_t k = 0; k < pairs; ++k) {
    stretches.push_back(changed_stretches(text_of(old_lines.line(group.old_begin + k)),
                                          text_of(new_lines.line(group.new_begin + k))));
  }
  return stretches;
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
    const std::vector<std::array<Stretch, 2>> stretches =
        palette != nullptr && out.style().highlight_changes
            ? group_stretches(old_lines, new_lines, group)
            : std::vector<std::array<Stretch, 2>>();
    const auto marked = [&](std::size_t k, std::size_t side) {
      return k < stretches.size() ? stretches[k][side] : Stretch();
    };
    for (; i < group.old_end; ++i) {
      out.put_line("-", old_lines.line(i), deleted, marked(i - group.old_begin, 0));
    }
    for (std::size_t j = group.new_begin; j < group.new_end; ++j) {
      out.put_line("+", new_lines.line(j), inserted, marked(j - group.new_begin, 1));
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
