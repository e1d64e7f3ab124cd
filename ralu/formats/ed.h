// An ed script that turns the old file into the new one: commands from the
// last change to the first, so that line numbers stay true.
#pragma once

#include <string>
#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

// ed cannot write a line without its line end, so an ed script is found and
// written on inputs whose last line has one: the text, or a copy of it in
// `storage` with the line end added.
std::string_view with_final_line_end(std::string_view text, std::string& storage);

void write_ed(OutputSink& out, std::string_view old_text, std::string_view new_text,
              const EditScript& script, const ReportStyle& style);

// -f: the commands from the first change to the last, the letter before the
// range ("c5 7", "a0", "d2"), and the lines as they are: the script is for
// reading, as ed could not follow its numbers nor a line holding ".".
void write_forward_ed(OutputSink& out, std::string_view new_text, const EditScript& script,
                      const ReportStyle& style);

}  // namespace ralu
