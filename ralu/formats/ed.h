// An ed script that turns the old file into the new one: commands from the
// last change to the first, so that line numbers stay true.
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

void write_ed(OutputSink& out, std::string_view old_text, std::string_view new_text,
              const EditScript& script, const ReportStyle& style);

}  // namespace ralu
