#include "ralu/command/plan.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/operands.h"
#include "platform/word_pattern.h"
#include "ralu/command/stat_options.h"
#include "ralu/engine/changes.h"
#include "ralu/formats/formatted.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// Context beyond this many lines is given to a pair whole.
constexpr std::size_t max_region_context = 100000;

PatternList compile_patterns(std::string_view option, const std::vector<std::string>& patterns) {
  PatternList compiled;
  for (const std::string& pattern : patterns) {
    std::string error;
    compiled.push_back(platform::compile_line_pattern(pattern, error));
    if (!compiled.back()) {
      std::string what(option);
      what += ": invalid regular expression '";
      what += pattern;
      what += "' (";
      what += error;
      what += ')';
      fail_usage(what);
    }
  }
  return compiled;
}

// Whether the locale for times, as the environment sets it, is the C locale
// (or one this system lacks, which leaves the C locale in place).
bool times_read_the_c_way() {
  const char* const name = std::setlocale(LC_TIME, "");
  return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

// The word report's settings. Its pattern, like -F's and -I's, is checked
// before anything is compared.
WordDiffForm word_diff_form(const Options& options) {
  WordDiffForm form;
  form.mode = options.word_diff.mode;
  form.ignore_case = options.matching.ignore_case;
  form.minimal = options.minimal;
  if (form.mode == WordDiffMode::none || !options.word_diff.pattern) return form;
  std::string error;
  form.pattern = platform::compile_word_pattern(*options.word_diff.pattern, error);
  if (!form.pattern) {
    fail_usage("--word-diff-regex: invalid regular expression '" + *options.word_diff.pattern +
               "' (" + error + ")");
  }
  return form;
}

// Colour in a word report: always for --color-words, as in git; never for
// porcelain, which is read by programs; for plain words as --color says.
bool word_colour_wanted(WordDiffMode mode, ColorWhen when);

bool colour_wanted(ColorWhen when) {
  if (when != ColorWhen::automatic) return when == ColorWhen::always;
  const char* const terminal = std::getenv("TERM");
  return platform::standard_output_is_terminal() &&
         (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

// The width of a --stat table without WIDTH: as COLUMNS says, else the
// terminal's, else 80, as git has it.
std::size_t stat_columns() {
  constexpr std::size_t fallback = 80;
  if (const char* const given = std::getenv("COLUMNS"); given != nullptr) {
    const long columns = std::strtol(given, nullptr, 10);
    if (columns > 0) return static_cast<std::size_t>(columns);
  }
  const std::size_t terminal = platform::standard_output_columns();
  return terminal != 0 ? terminal : fallback;
}

// What is read of the inputs: as many equal lines around the middles as the
// engine looks at, so that it finds the script it would find on the whole
// inputs, and the context beyond them; everything, for the forms that show
// every line.
InputRequest reading_for(const Options& options, const RunPlan& plan) {
  InputRequest request;
  request.new_file = options.new_file;
  request.unidirectional_new_file = options.tree.unidirectional_new_file;
  request.margin_lines =
      shows_whole_inputs(plan.report) ? UINT64_MAX : compaction_margin + options.context;
  request.old_from_start = plan.shows_function_lines;
  request.look_for_nul = !options.text;
  request.whole_when_identical = plan.writes_equal_inputs;
  return request;
}

// Whether a huge pair may be compared a region at a time: not where the
// script must be shortest whatever it costs (-d), which no bounded look
// ahead can promise; not for the forms that show unchanged lines; not where lines
// match by keys, which the look ahead does not know; and not for -q alone,
// which the bytes answer.
bool regions_allowed(const Options& options, const RunPlan& plan) {
  const OutputForm form = options.form;
  const bool form_streams =
      form == OutputForm::unified || form == OutputForm::context || form == OutputForm::normal ||
      form == OutputForm::ed || form == OutputForm::rcs ||
      (form == OutputForm::side_by_side && options.side_by_side.suppress_common_lines) ||
      (form == OutputForm::formatted && !writes_unchanged_lines(options.formats));
  return !options.minimal && form_streams && options.stat_form == StatForm::none &&
         !options.matching.needs_keys() && !options.matching.strip_trailing_cr &&
         !(options.brief && !plan.ignores_some_changes) && options.context <= max_region_context;
}

bool word_colour_wanted(WordDiffMode mode, ColorWhen when) {
  if (mode == WordDiffMode::color) return true;
  return mode != WordDiffMode::porcelain && colour_wanted(when);
}

}  // namespace

RunPlan plan_run(const Options& options) {
  RunPlan plan;
  plan.function_patterns = compile_patterns("-F", options.function_patterns);
  plan.ignore_patterns = compile_patterns("-I", options.ignore_patterns);
  plan.report = {options.form, options.context, options.side_by_side, options.formats,
                 word_diff_form(options)};
  plan.matching = options.matching;
  // -E expands tabs to the stops the report shows them at.
  plan.matching.tabsize = options.look.tabsize;
  plan.minimal = options.minimal;
  plan.no_dereference = options.tree.no_dereference;
  plan.ignore_blank_lines = options.ignore_blank_lines;
  plan.ignores_some_changes = options.matching.needs_keys() || options.matching.strip_trailing_cr ||
                              options.ignore_blank_lines || !options.ignore_patterns.empty();
  plan.look = options.look;
  plan.brief = options.brief;
  plan.report_identical = options.report_identical;
  plan.writes_equal_inputs = shows_whole_inputs(plan.report) && !options.brief;
  plan.labels = options.labels;
  const WordDiffMode words = options.word_diff.mode;
  plan.colour = words == WordDiffMode::none ? colour_wanted(options.color)
                                            : word_colour_wanted(words, options.color);
  plan.highlight_changes = plan.colour && options.highlight_changes;
  // A word report has git's colours, unless a palette sets others.
  if (plan.colour) {
    plan.colours = std::make_shared<const ReportColours>(
        options.palette, words == WordDiffMode::none ? Palette() : git_palette());
  }
  plan.traditional_times = options.form == OutputForm::context && times_read_the_c_way();
  plan.show_c_function = options.show_c_function;
  plan.shows_function_lines = (options.show_c_function || !options.function_patterns.empty()) &&
                              has_hunk_headers(options.form);
  plan.reading = reading_for(options, plan);
  plan.regions_allowed = regions_allowed(options, plan);
  plan.horizon_lines = options.horizon_lines;
  plan.stat_form = options.stat_form;
  if (plan.stat_form != StatForm::none) {
    plan.stat_limits = options.stat_limits;
    plan.stat_patch = patch_follows_stat(options);
    plan.stat_columns = stat_columns();
    plan.tally = std::make_shared<StatTally>(plan.stat_patch);
  }
  return plan;
}

}  // namespace ralu
