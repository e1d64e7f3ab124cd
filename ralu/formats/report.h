// What every output form shares: where the report goes, how an input is
// named in a header, and what the report shows beyond the lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/function_line.h"
#include "ralu/formats/palette.h"

namespace ralu {

// Where the report goes.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual void write(std::string_view bytes) = 0;
};

// How an input is named in the report's header.
struct FileLabel {
  std::string_view name;  // printed exactly as given (already quoted where needed)
  std::optional<platform::LocalTime> modified;  // follows a tab when there is one
  // The time as "Sun Sep  9 01:46:40 2001", which the context form shows
  // where times are read the C locale's way.
  bool traditional_time = false;
};

// What the report shows beyond the lines: colour, the function line after
// each hunk's header, and how tabs look; and where the lines start, when
// that is known. Any may be left out. (Which changes
// -B and -I leave out the script's groups tell.)
struct ReportStyle {
  const Palette* palette = nullptr;
  FunctionLineFinder* function_lines = nullptr;
  // The line numbers, counted from 0, of the first lines of the texts given:
  // hunks are numbered as lines of the whole inputs.
  std::size_t old_first_line = 0;
  std::size_t new_first_line = 0;
  LineLook look;
  // Where the lines of the texts given start, when they were found already
  // (tables of those very bytes): the writers then go straight to each line
  // they show, rather than read every line up to it.
  const LineTable* old_lines = nullptr;
  const LineTable* new_lines = nullptr;
  // --highlight-changes: in colour, the stretch where the lines of a
  // changed pair differ is marked (unified and side by side).
  bool highlight_changes = false;
  // Whether the forms with a header write it: a report written a piece at a
  // time has it before its first piece only.
  bool header = true;
};

// A time as the headers show it: "2024-03-05 14:07:09.123456789 +0900".
std::string format_time(const platform::LocalTime& time);

// A time as the C library's ctime has it, without the line end:
// "Sun Sep  9 01:46:40 2001".
std::string format_traditional_time(const platform::LocalTime& time);

}  // namespace ralu
