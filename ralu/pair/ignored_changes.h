// Which changes -B (--ignore-blank-lines) and -I RE (--ignore-matching-lines)
// may leave out: those whose every deleted and inserted line is blank, or
// matches one of the patterns.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "platform/pattern.h"
#include "ralu/engine/edit_script.h"

namespace ralu {

// The lines of one input two ways: as the script was found on them, where
// blank means blank under the matching options, and as the report shows them,
// which the patterns are matched against.
struct LinesSeen {
  std::string_view keys;
  std::string_view shown;
};

// Marks ignored each group of the script whose every deleted and inserted
// line is blank (when blank_lines is set) or matches a pattern.
void mark_ignored_groups(EditScript& script, LinesSeen old_lines, LinesSeen new_lines,
                         bool blank_lines,
                         std::span<const std::unique_ptr<platform::LinePattern>> patterns);

}  // namespace ralu
