// RCS's form: "dFIRST COUNT" and "aLAST COUNT" commands, front to back, each
// "a" followed by the lines it adds.
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

void write_rcs(OutputSink& out, std::string_view old_text, std::string_view new_text,
               const EditScript& script, const ReportStyle& style);

}  // namespace ralu
