// ralu's analysis on two arbitrary inputs: the marked lines, deleted from the
// old input and inserted from the new, must turn one into the other, which
// holds exactly when the unmarked lines of both are the same sequence. On
// small inputs a minimal search must change no more lines than the longest
// common subsequence, computed here directly, leaves.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ralu/changes.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string_view> kept_lines(const ralu::LineTable& lines,
                                         const std::vector<std::uint8_t>& changed) {
  std::vector<std::string_view> kept;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (changed[i] == 0) kept.push_back(lines.line(i));
  }
  return kept;
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

std::size_t marked(const std::vector<std::uint8_t>& changed) {
  return static_cast<std::size_t>(std::count(changed.begin(), changed.end(), 1));
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
  const ralu::ChangeMarks marks = ralu::find_changes(old_lines, new_lines, minimal);
  check(marks.old_changed.size() == old_lines.size());
  check(marks.new_changed.size() == new_lines.size());
  check(kept_lines(old_lines, marks.old_changed) == kept_lines(new_lines, marks.new_changed));

  if (minimal && old_lines.size() <= 200 && new_lines.size() <= 200) {
    const std::size_t common = longest_common_subsequence(old_lines, new_lines);
    check(marked(marks.old_changed) + marked(marks.new_changed) ==
          old_lines.size() + new_lines.size() - 2 * common);
  }
  return 0;
}
