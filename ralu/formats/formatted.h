// The forms that -D and the line and group formats describe: every group of
// lines, changed or not, written through its group format, and each line in
// it through its line format.
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report.h"

namespace ralu {

// The texts are the whole inputs.
void write_formatted(OutputSink& out, std::string_view old_text, std::string_view new_text,
                     const EditScript& script, const LineFormats& formats,
                     const ReportStyle& style);

}  // namespace ralu
