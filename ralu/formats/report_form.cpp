#include "ralu/formats/report_form.h"

#include "ralu/formats/context.h"
#include "ralu/formats/ed.h"
#include "ralu/formats/formatted.h"
#include "ralu/formats/normal.h"
#include "ralu/formats/rcs.h"
#include "ralu/formats/side_by_side.h"
#include "ralu/formats/unified.h"

namespace ralu {

bool shows_whole_inputs(const ReportForm& form) {
  return form.form == OutputForm::formatted ||
         (form.form == OutputForm::side_by_side && !form.side_by_side.suppress_common_lines);
}

bool has_hunk_headers(OutputForm form) {
  return form == OutputForm::unified || form == OutputForm::context;
}

void write_report(OutputSink& out, const ReportForm& form, const std::array<FileLabel, 2>& labels,
                  std::string_view old_text, std::string_view new_text, const EditScript& script,
                  const ReportStyle& style) {
  switch (form.form) {
    case OutputForm::unified:
      if (form.word_diff.mode != WordDiffMode::none) {
        return write_word_diff(out, labels[0], labels[1], old_text, new_text, script, form.context,
                               form.word_diff, style);
      }
      return write_unified(out, labels[0], labels[1], old_text, new_text, script, form.context,
                           style);
    case OutputForm::context:
      return write_context(out, labels[0], labels[1], old_text, new_text, script, form.context,
                           style);
    case OutputForm::normal:
      return write_normal(out, old_text, new_text, script, style);
    case OutputForm::ed:
      return write_ed(out, old_text, new_text, script, style);
    case OutputForm::forward_ed:
      return write_forward_ed(out, new_text, script, style);
    case OutputForm::rcs:
      return write_rcs(out, old_text, new_text, script, style);
    case OutputForm::side_by_side:
      return write_side_by_side(out, old_text, new_text, script, form.side_by_side, style);
    case OutputForm::formatted:
      return write_formatted(out, old_text, new_text, script, form.formats, style);
  }
}

}  // namespace ralu
