// The context form of `diff -c`: a header naming both files, then each hunk
// as its old lines and its new lines, changed lines marked "!".
#pragma once

#include <cstddef>
#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

void write_context(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context, const ReportStyle& style);

}  // namespace ralu
