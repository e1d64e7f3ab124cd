// The output forms ralu writes, and what each takes beyond the edit script.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace ralu {

// Lines of context around each change in the unified and context forms,
// unless a number is given.
inline constexpr std::size_t default_context = 3;

enum class OutputForm;
// Whether the form writes ed's commands, which cannot hold a line without its
// line end.
constexpr bool writes_ed_commands(OutputForm form);

enum class OutputForm {
  unified,       // -u: the default
  normal,        // --normal: diff's default form
  context,       // -c
  ed,            // -e: an ed script
  forward_ed,    // -f: ed's commands, first change first, for reading rather than ed
  rcs,           // -n: RCS's form
  side_by_side,  // -y
  formatted,     // -D and the line and group formats
};

constexpr bool writes_ed_commands(OutputForm form) {
  return form == OutputForm::ed || form == OutputForm::forward_ed;
}

// How the text of a line is shown in every form.
struct LineLook {
  bool expand_tabs = false;  // -t: tabs become blanks
  bool initial_tab = false;  // -T: a tab, not a blank, before a line's text
  std::size_t tabsize = 8;   // --tabsize: columns between tab stops
  // --suppress-blank-empty: an empty line gets no blank or tab after its mark.
  bool suppress_blank_empty = false;

  bool operator==(const LineLook&) const = default;
};

// The columns of -y.
struct SideBySideLayout {
  std::size_t width = 130;             // -W: the whole line
  bool left_column = false;            // common lines only on the left
  bool suppress_common_lines = false;  // common lines not at all

  bool operator==(const SideBySideLayout&) const = default;
};

// The formats of -D and of the line and group format options; a format not
// given takes its default.
struct LineFormats {
  std::optional<std::string> old_line;
  std::optional<std::string> new_line;
  std::optional<std::string> unchanged_line;
  std::optional<std::string> old_group;
  std::optional<std::string> new_group;
  std::optional<std::string> changed_group;
  std::optional<std::string> unchanged_group;

  bool operator==(const LineFormats&) const = default;
};

}  // namespace ralu
