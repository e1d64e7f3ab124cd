// Hunk assembly: grouping the changes of an edit script, with lines of
// context around them, into the hunks of a unified diff.
#pragma once

#include <cstddef>
#include <optional>

#include "ralu/engine/edit_script.h"

namespace ralu {

// Lines [old_begin, old_end) of the old input against [new_begin, new_end) of
// the new one, context included, 0-based; they hold the script's groups
// [first_group, end_group).
struct Hunk {
  std::size_t old_begin;
  std::size_t old_end;
  std::size_t new_begin;
  std::size_t new_end;
  std::size_t first_group;
  std::size_t end_group;
};

// Hands out the hunks of a script one at a time, each change with up to
// `context` unchanged lines before and after it. Changes whose context would
// touch or overlap share a hunk.
//
// A group marked ignored (-B, -I: it only deletes or inserts lines that are
// ignored) joins the hunk before it only when it lies within that hunk's
// trailing context, and a hunk of ignored groups alone is left out, as GNU
// diff has it.
class HunkWalker {
 public:
  HunkWalker(const EditScript& script, std::size_t context) : script_(script), context_(context) {}

  std::optional<Hunk> next();

 private:
  bool ignored(std::size_t group) const { return script_.groups[group].ignored; }
  bool joins(std::size_t group, std::size_t gap) const;

  const EditScript& script_;
  std::size_t context_;
  std::size_t next_group_ = 0;
};

}  // namespace ralu
