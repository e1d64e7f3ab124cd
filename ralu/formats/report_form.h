// The form a report takes, and the one place that hands a script to the
// writer of that form.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report.h"
#include "ralu/formats/word_diff.h"

namespace ralu {

// The form, and what the forms take beyond the script.
struct ReportForm {
  OutputForm form = OutputForm::unified;
  std::size_t context = default_context;  // -u and -c: lines around each change
  SideBySideLayout side_by_side;          // -y
  LineFormats formats;                    // -D and the line and group formats
  WordDiffForm word_diff;                 // --word-diff: the unified form's hunks as words
};

// Whether the form shows every line of the inputs, not only the changes and
// their context: then the whole inputs are needed.
bool shows_whole_inputs(const ReportForm& form);

// Whether the form's hunks have headers that a function line can follow.
bool has_hunk_headers(OutputForm form);

// Writes the report of the script in its form. The labels head the forms
// with a header (unified and context); the texts are the inputs' lines as
// the report shows them.
void write_report(OutputSink& out, const ReportForm& form, const std::array<FileLabel, 2>& labels,
                  std::string_view old_text, std::string_view new_text, const EditScript& script,
                  const ReportStyle& style);

}  // namespace ralu
