#include "ralu/pair/ignored_changes.h"

#include "ralu/engine/lines.h"
#include "ralu/pair/line_keys.h"

namespace ralu {

namespace {

// Reads the lines of one input both ways, front to back.
class IgnoredLineTest {
 public:
  IgnoredLineTest(LinesSeen lines, bool blank_lines,
                  std::span<const std::unique_ptr<platform::LinePattern>> patterns)
      : keys_(lines.keys), shown_(lines.shown), blank_lines_(blank_lines), patterns_(patterns) {}

  bool all_ignored(std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      if (!ignored(i)) return false;
    }
    return true;
  }

 private:
  bool ignored(std::size_t i) {
    if (blank_lines_ && is_blank(keys_.line(i))) return true;
    if (patterns_.empty()) return false;
    std::string_view line = shown_.line(i);
    if (line.ends_with('\n')) line.remove_suffix(1);
    for (const std::unique_ptr<platform::LinePattern>& pattern : patterns_) {
      if (pattern->matches(line)) return true;
    }
    return false;
  }

  LineCursor keys_;
  LineCursor shown_;
  bool blank_lines_;
  std::span<const std::unique_ptr<platform::LinePattern>> patterns_;
};

}  // namespace

void mark_ignored_groups(EditScript& script, LinesSeen old_lines, LinesSeen new_lines,
                         bool blank_lines,
                         std::span<const std::unique_ptr<platform::LinePattern>> patterns) {
  IgnoredLineTest old_test(old_lines, blank_lines, patterns);
  IgnoredLineTest new_test(new_lines, blank_lines, patterns);
  for (ChangeGroup& group : script.groups) {
    // The cursors move front to back: the groups come in order.
    const bool deletes_ignored = old_test.all_ignored(group.old_begin, group.old_end);
    const bool inserts_ignored = new_test.all_ignored(group.new_begin, group.new_end);
    group.ignored = deletes_ignored && inserts_ignored;
  }
}

}  // namespace ralu
