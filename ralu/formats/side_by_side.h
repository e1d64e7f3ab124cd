// The side-by-side form of `diff -y`: each line of the old file beside its
// counterpart in the new one, in two columns with a gutter that marks changes.
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report.h"

namespace ralu {

// The texts are the whole inputs; under --suppress-common-lines, which shows
// no common line, they may be windows of them around the changes.
void write_side_by_side(OutputSink& out, std::string_view old_text, std::string_view new_text,
                        const EditScript& script, const SideBySideLayout& layout,
                        const ReportStyle& style);

}  // namespace ralu
