// What tests and fuzz targets read a report through: the report collected in
// memory, and a script's hunks all at once.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report.h"

namespace test_support {

// Collects the report in memory.
class StringSink : public ralu::OutputSink {
 public:
  void write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// Every hunk of a script, as the walker hands them out.
inline std::vector<ralu::Hunk> assemble_hunks(const ralu::EditScript& script, std::size_t context) {
  std::vector<ralu::Hunk> hunks;
  ralu::HunkWalker walker(script, context);
  while (const std::optional<ralu::Hunk> hunk = walker.next()) hunks.push_back(*hunk);
  return hunks;
}

}  // namespace test_support
