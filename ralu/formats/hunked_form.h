// The frame that the unified and the context forms share: two header lines
// naming the inputs, then each hunk in turn; nothing at all when there is no
// hunk to show.
#pragma once

#include <cstddef>
#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

// Writes one hunk; the cursors read the inputs front to back across hunks.
using HunkWriter = void (*)(ReportWriter& out, LineCursor& old_lines, LineCursor& new_lines,
                            const EditScript& script, const Hunk& hunk);

// The marks that begin the header lines: "--- " and "+++ ", or "*** " and
// "--- ".
struct HeaderMarks {
  std::string_view old_mark;
  std::string_view new_mark;
};

// Under -p and -F, a space and the function line before the hunk, when there
// is one, to follow the line that opens the hunk ("@@ ... @@", "****...").
void write_function_line(ReportWriter& out, const Hunk& hunk);

void write_hunked_form(OutputSink& out, HeaderMarks marks, const FileLabel& old_label,
                       const FileLabel& new_label, std::string_view old_text,
                       std::string_view new_text, const EditScript& script, std::size_t context,
                       const ReportStyle& style, HunkWriter write_hunk);

}  // namespace ralu
