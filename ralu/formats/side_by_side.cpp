#include "ralu/formats/side_by_side.h"

#include <array>

#include "ralu/engine/lines.h"
#include "ralu/formats/changed_stretch.h"
#include "ralu/formats/column_layout.h"
#include "ralu/formats/column_writer.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// The marks in the gutter. A common line shows none; under --left-column it
// shows '(' after its old text alone. ')' marks a new line shown as common
// with no old line beside it, which happens where a group that -B or -I
// leave out makes the inputs' common stretches unequal.
constexpr char common_mark = ' ';
constexpr char left_only_mark = '(';
constexpr char right_only_mark = ')';
constexpr char changed_mark = '|';
constexpr char deleted_mark = '<';
constexpr char inserted_mark = '>';

bool ends_line(std::string_view line) { return !line.empty() && line.back() == '\n'; }

std::string_view text_of(std::string_view line) {
  return ends_line(line) ? line.substr(0, line.size() - 1) : line;
}

// A changed pair of lines where only one of them ends in a line feed is
// marked '/' (the old one does) or '\' (the new one does).
char changed_pair_mark(bool old_ends, bool new_ends) {
  if (old_ends == new_ends) return changed_mark;
  return old_ends ? '/' : '\\';
}

// Writes the report a line at a time, reading both inputs front to back. An
// input line has at least one byte, its line feed if nothing else, so an
// empty view stands for no line on that side.
class SideBySideWriter {
 public:
  SideBySideWriter(ReportWriter& out, std::string_view old_text, std::string_view new_text,
                   const SideBySideLayout& layout, const LineLook& look)
      : out_(out),
        layout_(layout),
        columns_(lay_out_columns(layout.width, look)),
        writer_(out, look, columns_.half_width),
        old_lines_(old_text, out.style().old_lines),
        new_lines_(new_text, out.style().new_lines),
        highlights_(out.style().palette != nullptr && out.style().highlight_changes) {}

  // The lines after the last ones shown, up to old line old_end and new
  // line new_end, as common lines. A group left out (-B, -I) is among them:
  // its lines pair up with the lines across from them as if unchanged.
  void common_lines(std::size_t old_end, std::size_t new_end) {
    if (!layout_.suppress_common_lines) {
      std::size_t i = next_old_, j = next_new_;
      for (; i < old_end && j < new_end; ++i, ++j) {
        if (layout_.left_column) {
          row(old_lines_.line(i), left_only_mark, {});
        } else {
          row(old_lines_.line(i), common_mark, new_lines_.line(j));
        }
      }
      // --left-column shows the old side of common lines alone.
      for (; j < new_end && !layout_.left_column; ++j) {
        row({}, right_only_mark, new_lines_.line(j));
      }
      for (; i < old_end; ++i) row(old_lines_.line(i), left_only_mark, {});
    }
    next_old_ = old_end;
    next_new_ = new_end;
  }

  // A group's old and new lines paired in order, then those left over.
  void changed_lines(const ChangeGroup& group) {
    common_lines(group.old_begin, group.new_begin);
    std::size_t i = group.old_begin, j = group.new_begin;
    for (; i < group.old_end && j < group.new_end; ++i, ++j) {
      const std::string_view old_line = old_lines_.line(i);
      const std::string_view new_line = new_lines_.line(j);
      const std::array<Stretch, 2> marked =
          highlights_ ? changed_stretches(text_of(old_line), text_of(new_line))
                      : std::array<Stretch, 2>();
      row(old_line, changed_pair_mark(ends_line(old_line), ends_line(new_line)), new_line, marked);
    }
    for (; i < group.old_end; ++i) row(old_lines_.line(i), deleted_mark, {});
    for (; j < group.new_end; ++j) row({}, inserted_mark, new_lines_.line(j));
    next_old_ = group.old_end;
    next_new_ = group.new_end;
  }

 private:
  // One output line: the old text, the mark, the new text. The line ends in
  // a line feed when either line shown does, so that an input's last line
  // without one stays without one.
  void row(std::string_view old_line, char mark, std::string_view new_line,
           const std::array<Stretch, 2>& marked = {}) {
    // Under --color, as diff has it, a line of one side alone is coloured
    // whole, its line feed included; changed pairs and common lines are not.
    const std::string_view colour = colour_of(mark);
    if (!colour.empty()) out_.put(colour);
    std::size_t column = old_line.empty() ? 0 : writer_.put_side(text_of(old_line), 0, marked[0]);
    if (mark != common_mark) {
      writer_.pad(column, columns_.gutter);
      out_.put(mark);
      column = columns_.gutter + 1;
    }
    // Blanks that would end the line are left out.
    if (const std::string_view text = text_of(new_line); !text.empty()) {
      writer_.pad(column, columns_.right_start);
      writer_.put_side(text, columns_.right_start, marked[1]);
    }
    if (ends_line(old_line) || ends_line(new_line)) out_.put('\n');
    if (!colour.empty()) out_.put(out_.style().palette->reset);
  }

  std::string_view colour_of(char mark) const {
    const Palette* const palette = out_.style().palette;
    if (palette == nullptr) return {};
    if (mark == deleted_mark) return palette->deleted;
    if (mark == inserted_mark) return palette->inserted;
    return {};
  }

  ReportWriter& out_;
  const SideBySideLayout& layout_;
  ColumnLayout columns_;
  ColumnWriter writer_;
  LineCursor old_lines_;
  LineCursor new_lines_;
  std::size_t next_old_ = 0;
  std::size_t next_new_ = 0;
  bool highlights_;  // the changed pairs' stretches are marked
};

}  // namespace

void write_side_by_side(OutputSink& out, std::string_view old_text, std::string_view new_text,
                        const EditScript& script, const SideBySideLayout& layout,
                        const ReportStyle& style) {
  ReportWriter writer(out, style);
  SideBySideWriter lines(writer, old_text, new_text, layout, style.look);
  // Without context every hunk is a single group; the walker skips the
  // groups that -B and -I leave out, which then show among the common lines.
  HunkWalker hunks(script, 0);
  while (const std::optional<Hunk> hunk = hunks.next()) {
    for (std::size_t g = hunk->first_group; g < hunk->end_group; ++g) {
      lines.changed_lines(script.groups[g]);
    }
  }
  lines.common_lines(script.old_line_count, script.new_line_count);
}

}  // namespace ralu
