#include "ralu/blank_hunks.h"

#include "ralu/engine/lines.h"
#include "ralu/line_keys.h"

namespace ralu {

namespace {

bool all_blank(LineCursor& lines, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i < end; ++i) {
    if (!is_blank(lines.line(i))) return false;
  }
  return true;
}

}  // namespace

std::vector<std::uint8_t> blank_only_groups(const EditScript& script, std::string_view old_keys,
                                            std::string_view new_keys) {
  LineCursor old_lines(old_keys);
  LineCursor new_lines(new_keys);
  std::vector<std::uint8_t> blank;
  blank.reserve(script.groups.size());
  for (const ChangeGroup& group : script.groups) {
    // Both cursors move front to back: the groups come in order.
    const bool deletes_blank = all_blank(old_lines, group.old_begin, group.old_end);
    const bool inserts_blank = all_blank(new_lines, group.new_begin, group.new_end);
    blank.push_back(deletes_blank && inserts_blank ? 1 : 0);
  }
  return blank;
}

}  // namespace ralu
