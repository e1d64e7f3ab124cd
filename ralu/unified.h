// Unified formatting: writing hunks in the form `diff -u` writes and `patch`
// reads.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "ralu/edit_script.h"

namespace ralu {

// Where the report goes.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// Collects the report in memory.
class StringSink : public OutputSink {
 public:
  void write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// How an input is named in the report's header.
struct FileLabel {
  std::string_view name;  // printed exactly as given
  platform::LocalTime modified;
};

// A time as the header shows it: "2024-03-05 14:07:09.123456789 +0900".
std::string format_time(const platform::LocalTime& time);

// Writes the header and every hunk of the script, with `context` lines of
// context around each change; nothing when the script is empty. The lines
// printed are read from old_text and new_text, the inputs as they are, which
// need not be the texts the script was found on: they only need as many lines.
void write_unified(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   std::string_view old_text, std::string_view new_text, const EditScript& script,
                   std::size_t context);

}  // namespace ralu
