// Unified formatting: writing hunks in the form `diff -u` writes and `patch`
// reads.
#pragma once

#include <cstddef>
#include <string_view>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

// Writes the header and every hunk of the script, with `context` lines of
// context around each change; nothing when there is no hunk to show. The lines
// printed are read from old_text and new_text, the inputs as they are, which
// need not be the texts the script was found on: they only need as many lines.
void write_unified(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context, const ReportStyle& style = {});

// "@@ -1,3 +1,4 @@": the hunk's ranges, numbered as lines of the whole
// inputs, without colour or function line; the word report shares it.
void write_unified_hunk_ranges(ReportWriter& out, const Hunk& hunk);

}  // namespace ralu
