// The normal form, diff's default: "2c2", the old lines after "< ", "---",
// the new lines after "> ".
#pragma once

#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

void write_normal(OutputSink& out, std::string_view old_text, std::string_view new_text,
                  const EditScript& script, const ReportStyle& style);

}  // namespace ralu
