// The forms that -D and the line and group formats describe: every group of
// lines, changed or not, written through its group format, and each line in
// it through its line format.
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report.h"

namespace ralu {

// Whether the formats write anything for unchanged lines: else a report in
// them shows only the changes, and can be written a piece at a time.
bool writes_unchanged_lines(const LineFormats& formats);

// The texts are the inputs, or parts of them that the style's first lines
// place in them.
void write_formatted(OutputSink& out, std::string_view old_text, std::string_view new_text,
                     const EditScript& script, const LineFormats& formats,
                     const ReportStyle& style);

}  // namespace ralu
