// Unified formatting: writing hunks in the form `diff -u` writes and `patch`
// reads.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "ralu/changes.h"
#include "ralu/hunks.h"
#include "ralu/lines.h"

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

// Writes the header and every hunk. Nothing is written when there are no
// hunks.
void write_unified(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                   const LineTable& old_lines, const LineTable& new_lines, const ChangeMarks& marks,
                   std::span<const Hunk> hunks);

}  // namespace ralu
