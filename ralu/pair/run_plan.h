// What every pair of a run needs, settled once from the options before the
// first pair is compared: how much of the inputs is read, how lines match,
// which changes are left out, and how the report looks. Its patterns are
// compiled once and shared by every thread that compares pairs.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/pattern.h"
#include "ralu/formats/forms.h"
#include "ralu/formats/report_form.h"
#include "ralu/formats/stat_table.h"
#include "ralu/inputs/inputs.h"
#include "ralu/pair/line_keys.h"
#include "ralu/pair/report_colours.h"
#include "ralu/pair/stat_tally.h"

namespace ralu {

using PatternList = std::vector<std::unique_ptr<platform::LinePattern>>;

struct RunPlan {
  // What is read of the inputs: the margin around the middles, whether the
  // old input is read from its start (for function lines), whether NUL bytes
  // are looked for, and whether equal inputs are still read whole.
  InputRequest reading;

  // How lines are matched: by their keys when matching.needs_keys().
  LineMatching matching;
  bool minimal = false;         // -d
  bool no_dereference = false;  // links named are compared as links

  // Whether a huge pair may be compared a region at a time, where changes
  // lie far apart; and how far ahead to look, as --horizon-lines gave it,
  // which has a pair of any size compared so.
  bool regions_allowed = false;
  std::optional<std::size_t> horizon_lines;

  // The changes left out: those of blank lines alone (-B) or of lines that
  // all match a pattern (-I).
  bool ignore_blank_lines = false;
  PatternList ignore_patterns;
  // Whether inputs whose bytes differ may still be alike, so that only a
  // comparison of their lines tells.
  bool ignores_some_changes = false;

  // What is written.
  ReportForm report;
  LineLook look;                     // -t -T --tabsize
  bool brief = false;                // -q: only whether files differ
  bool report_identical = false;     // -s: say so when they do not
  bool writes_equal_inputs = false;  // the form writes every line even of equal inputs
  std::vector<std::string> labels;   // --label, for the first and second input
  // The colours, when `colour`: diff's own unless --palette set others.
  std::shared_ptr<const ReportColours> colours;
  // The stat forms: each pair that differs is counted into the tally, and
  // its report written after the summary only with `stat_patch`.
  StatLimits stat_limits;
  std::size_t stat_columns = 80;  // the width of a --stat table without WIDTH
  std::shared_ptr<StatTally> tally;
  StatForm stat_form = StatForm::none;
  bool stat_patch = false;
  bool colour = false;
  bool highlight_changes = false;  // --highlight-changes, with colour
  // Whether the context form's headers show times as ctime has them, where
  // times are read the C locale's way.
  bool traditional_times = false;

  // The function lines after hunk headers (-p, -F), where the form has them.
  bool shows_function_lines = false;
  bool show_c_function = false;
  PatternList function_patterns;
};

}  // namespace ralu
