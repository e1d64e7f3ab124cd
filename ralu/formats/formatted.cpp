#include "ralu/formats/formatted.h"

#include <cstdint>
#include <optional>
#include <string>

#include "ralu/engine/lines.h"
#include "ralu/formats/format_program.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/printed_number.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

namespace {

// Every format of a report, read once. A line format not given is "%l\n". A
// group format not given writes its lines as they are, except that the old
// and new ones take the changed one when only that is given, and the changed
// one is the old one followed by the new one, joined as text before either is
// read (so an old format "%" and a new one "%>" make "%%>").
struct Formats {
  explicit Formats(const LineFormats& given)
      : old_line(given.old_line.value_or(line_default), FormatKind::line),
        new_line(given.new_line.value_or(line_default), FormatKind::line),
        unchanged_line(given.unchanged_line.value_or(line_default), FormatKind::line),
        old_group(old_group_text(given), FormatKind::group),
        new_group(new_group_text(given), FormatKind::group),
        changed_group(given.changed_group.value_or(old_group_text(given) + new_group_text(given)),
                      FormatKind::group),
        unchanged_group(given.unchanged_group.value_or("%="), FormatKind::group) {}

  static constexpr const char* line_default = "%l\n";

  static std::string old_group_text(const LineFormats& given) {
    return given.old_group.value_or(given.changed_group.value_or("%<"));
  }
  static std::string new_group_text(const LineFormats& given) {
    return given.new_group.value_or(given.changed_group.value_or("%>"));
  }

  FormatProgram old_line, new_line, unchanged_line;
  FormatProgram old_group, new_group, changed_group, unchanged_group;
};

// Lines [old_begin, old_end) of the old input and [new_begin, new_end) of the
// new one, 0-based, that one group spans.
struct GroupSpan {
  std::size_t old_begin, old_end, new_begin, new_end;

  bool empty() const { return old_begin == old_end && new_begin == new_end; }
};

// Runs a program: text and numbers are written here, conditions followed,
// and the steps that write lines handed to `lines`. `number` gives a letter's
// value.
template <class Number, class Lines>
void run_program(const FormatProgram& program, ReportWriter& out, const Number& number,
                 const Lines& lines) {
  const std::vector<FormatStep>& steps = program.steps();
  const auto value = [&](const Operand& operand) {
    return operand.letter != 0 ? number(operand.letter) : operand.constant;
  };
  for (std::size_t i = 0; i < steps.size();) {
    const FormatStep& step = steps[i];
    switch (step.op) {
      case FormatOp::text:
        out.put(program.text(step));
        break;
      case FormatOp::number:
        put_printed_number(out, step.number,
                           static_cast<std::uint64_t>(number(step.number.letter)));
        break;
      case FormatOp::choose:
        if (value(step.left) != value(step.right)) {
          i = step.target;
          continue;
        }
        break;
      case FormatOp::jump:
        i = step.target;
        continue;
      default:
        lines(step.op);
    }
    ++i;
  }
}

// Writes the groups of a report through their formats.
class FormattedReport {
 public:
  FormattedReport(ReportWriter& out, std::string_view old_text, std::string_view new_text,
                  const LineFormats& formats)
      : out_(out),
        old_lines_(old_text, out.style().old_lines),
        new_lines_(new_text, out.style().new_lines),
        formats_(formats) {}

  void write_unchanged(const GroupSpan& span) {
    if (!span.empty()) write_group(formats_.unchanged_group, span);
  }

  // A change: old lines only, new lines only, or both.
  void write_change(const GroupSpan& span) {
    const bool deletes = span.old_begin != span.old_end;
    const bool inserts = span.new_begin != span.new_end;
    write_group(deletes && inserts ? formats_.changed_group
                : deletes          ? formats_.old_group
                                   : formats_.new_group,
                span);
  }

 private:
  void write_group(const FormatProgram& format, const GroupSpan& span) {
    run_program(
        format, out_, [&](char letter) { return group_number(span, letter); },
        [&](FormatOp op) { write_lines(span, op); });
  }

  void write_lines(const GroupSpan& span, FormatOp op) {
    if (op == FormatOp::new_lines) {
      return write_each_line(formats_.new_line, new_lines_, span.new_begin, span.new_end,
                             out_.style().new_first_line);
    }
    const FormatProgram& format =
        op == FormatOp::old_lines ? formats_.old_line : formats_.unchanged_line;
    write_each_line(format, old_lines_, span.old_begin, span.old_end, out_.style().old_first_line);
  }

  // Lines [begin, end) of a text whose first line is line first_line of its
  // input, numbered as lines of the input.
  void write_each_line(const FormatProgram& format, LineCursor& lines, std::size_t begin,
                       std::size_t end, std::size_t first_line) {
    if (format.writes_whole_line_only() && !out_.style().look.expand_tabs) {
      for (std::size_t i = begin; i < end; ++i) out_.put(lines.line(i));
      return;
    }
    for (std::size_t i = begin; i < end; ++i) {
      write_line(format, lines.line(i), first_line + i + 1);
    }
  }

  void write_line(const FormatProgram& format, std::string_view line, std::size_t number) {
    const bool line_end = !line.empty() && line.back() == '\n';
    const std::string_view text = line_end ? line.substr(0, line.size() - 1) : line;
    run_program(
        format, out_, [&](char) { return static_cast<std::int64_t>(number); },
        [&](FormatOp op) {
          out_.put_text(text);
          if (op == FormatOp::whole_line && line_end) out_.put('\n');
        });
  }

  // The numbers of a group format's letters: for the old lines, e is the
  // line before the group, f its first, l its last, m the line after it, n
  // how many it has (1-based, so an empty side has f = l + 1); the capitals
  // likewise for the new lines. Lines are numbered as lines of the inputs.
  std::int64_t group_number(const GroupSpan& span, char letter) const {
    const bool old_side = letter >= 'a';
    const ReportStyle& style = out_.style();
    const std::size_t first = old_side ? style.old_first_line : style.new_first_line;
    const auto begin =
        static_cast<std::int64_t>(first + (old_side ? span.old_begin : span.new_begin));
    const auto end = static_cast<std::int64_t>(first + (old_side ? span.old_end : span.new_end));
    switch (letter | 0x20) {
      case 'e':
        return begin;
      case 'f':
        return begin + 1;
      case 'l':
        return end;
      case 'm':
        return end + 1;
      default:
        return end - begin;
    }
  }

  ReportWriter& out_;
  LineCursor old_lines_;
  LineCursor new_lines_;
  Formats formats_;
};

}  // namespace

bool writes_unchanged_lines(const LineFormats& formats) {
  if (formats.unchanged_group) {
    if (formats.unchanged_group->empty()) return false;
    if (*formats.unchanged_group != "%=") return true;
  }
  return !(formats.unchanged_line && formats.unchanged_line->empty());
}

// The groups of changes come from the hunk walker with no context, so that
// the changes -B and -I ignore are left among the unchanged lines around them,
// which write them as their own: the old lines through the unchanged formats,
// as GNU diff does.
void write_formatted(OutputSink& out, std::string_view old_text, std::string_view new_text,
                     const EditScript& script, const LineFormats& formats,
                     const ReportStyle& style) {
  ReportWriter writer(out, style);
  FormattedReport report(writer, old_text, new_text, formats);
  HunkWalker groups(script, 0);
  std::size_t old_at = 0;
  std::size_t new_at = 0;
  while (const std::optional<Hunk> group = groups.next()) {
    report.write_unchanged({old_at, group->old_begin, new_at, group->new_begin});
    report.write_change({group->old_begin, group->old_end, group->new_begin, group->new_end});
    old_at = group->old_end;
    new_at = group->new_end;
  }
  report.write_unchanged({old_at, script.old_line_count, new_at, script.new_line_count});
}

}  // namespace ralu
