// ralu's engine on two arbitrary inputs: the script's changed lines, deleted
// from the old input and inserted from the new, must turn one into the other,
// which holds exactly when the unchanged lines of both are the same sequence.
// On small inputs a minimal search must change no more lines than the longest
// common subsequence, computed here directly, leaves.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/lines.h"

namespace {

using fuzz::check;

// The lines outside the script's groups on one side.
std::vector<std::string_view> kept_lines(const ralu::LineTable& lines,
                                         const ralu::EditScript& script, bool old_side) {
  std::vector<std::string_view> kept;
  std::size_t at = 0;
  const auto keep_until = [&](std::size_t end) {
    for (; at < end; ++at) kept.push_back(lines.line(at));
  };
  for (const ralu::ChangeGroup& group : script.groups) {
    keep_until(old_side ? group.old_begin : group.new_begin);
    at = old_side ? group.old_end : group.new_end;
  }
  keep_until(lines.size());
  return kept;
}

std::size_t changed_count(const ralu::EditScript& script) {
  std::size_t count = 0;
  for (const ralu::ChangeGroup& group : script.groups) {
    count += (group.old_end - group.old_begin) + (group.new_end - group.new_begin);
  }
  return count;
}

std::size_t longest_common_subsequence(const ralu::LineTable& a, const ralu::LineTable& b) {
  std::vector<std::size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
  for (std::size_t i = a.size(); i-- > 0;) {
    for (std::size_t j = b.size(); j-- > 0;) {
      next[j] = a.line(i) == b.line(j) ? row[j + 1] + 1 : std::max(row[j], next[j + 1]);
    }
    std::swap(row, next);
  }
  return row[0];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const bool minimal = (input.byte() & 1) != 0;
  const std::size_t old_size = input.value<std::uint16_t>();
  std::string rest = input.rest();
  const std::string old_text = rest.substr(0, std::min(old_size, rest.size()));
  const std::string new_text = rest.substr(old_text.size());

  const ralu::LineTable old_lines(old_text);
  const ralu::LineTable new_lines(new_text);
  const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {minimal, std::nullopt});
  check(script.old_line_count == old_lines.size());
  check(script.new_line_count == new_lines.size());
  check(kept_lines(old_lines, script, true) == kept_lines(new_lines, script, false));

  if (minimal && old_lines.size() <= 200 && new_lines.size() <= 200) {
    const std::size_t common = longest_common_subsequence(old_lines, new_lines);
    check(changed_count(script) == old_lines.size() + new_lines.size() - 2 * common);
  }
  return 0;
}
