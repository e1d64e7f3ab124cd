#include "ralu/pair/comparison.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ralu/engine/changes.h"
#include "ralu/engine/edit_script.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/ed.h"
#include "ralu/formats/function_line.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_form.h"
#include "ralu/pair/ignored_changes.h"
#include "ralu/pair/line_keys.h"
#include "ralu/pair/pair_names.h"
#include "ralu/pair/pair_stat.h"
#include "ralu/pair/region_comparison.h"
#include "ralu/pair/verdicts.h"
#include "ralu/pair/window_lines.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

constexpr const char* too_many_lines = "too many lines";

// Only an input of that many bytes can have that many lines.
void check_line_count(const InputText& input) {
  const std::string_view bytes = input.window;
  if (bytes.size() > max_lines && count_lines(bytes) > max_lines) {
    fail_run(input.path, too_many_lines);
  }
}

// One input's lines as the report shows them (carriage returns stripped
// under --strip-trailing-cr, a line end given to the last line under -e)
// and as the search matches them (their keys, when the options ignore
// something in lines). Each view is of the input or of a text held here.
class InputLines {
 public:
  // Whether both views will be of the input's window itself, bytes for
  // bytes: then the window's lines can be found once for the search and the
  // report alike.
  static bool views_window(const InputText& input, const RunPlan& plan) {
    const std::string_view window = input.window;
    const bool gets_line_end =
        writes_ed_commands(plan.report.form) && !window.empty() && window.back() != '\n';
    return !plan.matching.strip_trailing_cr && !gets_line_end && !plan.matching.needs_keys();
  }

  // `lines` are the window's, when they were found already (and counted);
  // else the window's lines are counted here.
  InputLines(const InputText& input, const RunPlan& plan, std::optional<LineTable> lines)
      : shown(input.window), lines_(std::move(lines)) {
    if (!lines_) check_line_count(input);
    if (plan.matching.strip_trailing_cr) {
      own_shown_ = strip_trailing_cr(std::string(shown));
      shown = own_shown_;
    }
    if (writes_ed_commands(plan.report.form)) shown = with_final_line_end(shown, own_shown_);
    matched = shown;
    if (plan.matching.needs_keys()) {
      keys_ = key_text(shown, plan.matching);
      matched = keys_;
    }
  }
  InputLines(const InputLines&) = delete;
  InputLines& operator=(const InputLines&) = delete;

  // The window's lines, when found already: only where both views are of
  // the window.
  const LineTable* lines() const { return lines_ ? &*lines_ : nullptr; }

  std::string_view shown;
  std::string_view matched;

 private:
  std::optional<LineTable> lines_;
  std::string own_shown_;
  std::string keys_;
};

// Two binary files that differ: under the stat forms their sizes are counted
// (and, with no patch asked for, that is all), else the verdict is said,
// with the files shown as `shown`.
int say_binary_differ(const RunPlan& plan, const std::array<std::string, 2>& paths,
                      std::array<bool, 2> absent, std::array<std::uint64_t, 2> sizes,
                      const std::array<std::string_view, 2>& shown, PairOutput& out) {
  if (plan.stat_form != StatForm::none) {
    out.count(binary_stat(stat_name(plan, paths, absent), sizes[0], sizes[1]));
    if (!plan.stat_patch) return exit_different;
  }
  out.write(
      verdict_line(plan.brief ? Verdict::differ : Verdict::binary_differ, shown[0], shown[1]));
  return exit_different;
}

// Compares two inputs, writes what the plan asks for, and gives the exit
// status.
class Comparison {
 public:
  Comparison(const RunPlan& plan, Inputs inputs, const std::string* heading, PairOutput& out,
             std::array<bool, 2> absent)
      : plan_(plan),
        inputs_(std::move(inputs)),
        heading_(heading),
        out_(out),
        names_(plan, {inputs_.texts[0].path, inputs_.texts[1].path}),
        absent_(absent) {}

  int run() {
    const int status = compare_and_report();
    if (!lines_completed_) return status;
    return std::max(status, warn_of_incomplete_last_lines());
  }

 private:
  int compare_and_report() {
    // A file on one side only is listed by the stat forms even when it is
    // empty: it was added or deleted all the same.
    if (inputs_.identical && plan_.stat_form != StatForm::none && (absent_[0] || absent_[1])) {
      out_.count(lines_stat(stat_name(plan_, paths(), absent_), EditScript()));
      return exit_different;
    }
    if (inputs_.identical && (inputs_.binary || !plan_.writes_equal_inputs)) return same();
    if (inputs_.binary) return say_binary();
    if (plan_.brief && !plan_.ignores_some_changes) return say(Verdict::differ);

    std::array<std::optional<LineTable>, 2> tables;
    if (!inputs_.identical) tables = look_at_windows().tables;
    // ed cannot write a line without its end: the last lines get one.
    // (Inputs told apart without reading their lines are not warned of.)
    lines_completed_ = writes_ed_commands(plan_.report.form);
    const InputLines old_lines(inputs_.texts[0], plan_, std::move(tables[0]));
    const InputLines new_lines(inputs_.texts[1], plan_, std::move(tables[1]));
    const EngineOptions options{plan_.minimal, std::nullopt};
    EditScript script = old_lines.lines() != nullptr
                            ? compare_texts(*old_lines.lines(), *new_lines.lines(), options)
                            : compare_texts(old_lines.matched, new_lines.matched, options);
    if (plan_.ignore_blank_lines || !plan_.ignore_patterns.empty()) {
      mark_ignored_groups(script, {old_lines.matched, old_lines.shown},
                          {new_lines.matched, new_lines.shown}, plan_.ignore_blank_lines,
                          plan_.ignore_patterns);
    }
    const bool differ = HunkWalker(script, 0).next().has_value();
    if (!differ && !plan_.writes_equal_inputs) return same();
    if (plan_.brief) return say(Verdict::differ);
    if (plan_.stat_form != StatForm::none) {
      out_.count(lines_stat(stat_name(plan_, paths(), absent_), script));
      if (!plan_.stat_patch) return exit_different;
    }
    write_styled_report(old_lines, new_lines, script);
    return differ ? exit_different : same();
  }

  // Finds the windows' lines where the search and the report read the
  // windows as they are, in one pass for both, so that a huge middle is read
  // once. Gives the lines found, if any; throws when an input has too many
  // lines. (Whether the pair is binary was told by the inputs' first blocks.)
  WindowLines look_at_windows() const {
    const InputText& old_input = inputs_.texts[0];
    const InputText& new_input = inputs_.texts[1];
    if (!InputLines::views_window(old_input, plan_) ||
        !InputLines::views_window(new_input, plan_)) {
      return {};
    }
    WindowLines found = find_window_lines({old_input.window, new_input.window});
    if (found.crowded) {
      fail_run(inputs_.texts[*found.crowded].path, too_many_lines);
    }
    return found;
  }

  // Writes the report with what the plan adds to the lines: colour,
  // function lines, the first lines' numbers, tabs.
  void write_styled_report(const InputLines& old_lines, const InputLines& new_lines,
                           const EditScript& script) const {
    const InputText& old_input = inputs_.texts[0];
    std::optional<FunctionLineFinder> function_lines;
    if (plan_.shows_function_lines) {
      function_lines.emplace(old_input.from_start, plan_.show_c_function, plan_.function_patterns,
                             plan_.matching.strip_trailing_cr);
    }
    ReportStyle style;
    style.palette = plan_.colours ? plan_.colours->palette_for(out_) : nullptr;
    style.function_lines = function_lines ? &*function_lines : nullptr;
    style.old_first_line = old_input.first_line;
    style.new_first_line = inputs_.texts[1].first_line;
    style.look = plan_.look;
    style.highlight_changes = plan_.highlight_changes;
    style.old_lines = old_lines.lines();
    style.new_lines = new_lines.lines();
    if (heading_ != nullptr) {
      out_.write(*heading_ + " " + names_.header(0) + " " + names_.header(1) + "\n");
    }
    write_report(out_, plan_.report,
                 {names_.label(0, old_input.modified), names_.label(1, inputs_.texts[1].modified)},
                 old_lines.shown, new_lines.shown, script, style);
  }

  // An ed script has lost the missing line end of an input's last line: so
  // the script is not quite the change, and that is trouble.
  int warn_of_incomplete_last_lines() const {
    int status = exit_same;
    for (std::size_t i = 0; i < 2; ++i) {
      if (!inputs_.texts[i].lacks_final_line_end) continue;
      out_.warn(trouble_line(names_.plain(i), "No newline at end of file"));
      status = exit_trouble;
    }
    return status;
  }

  int same() {
    if (plan_.report_identical) say(Verdict::identical);
    return exit_same;
  }

  int say_binary() {
    return say_binary_differ(plan_, paths(), absent_,
                             {inputs_.texts[0].window.size(), inputs_.texts[1].window.size()},
                             {names_.plain(0), names_.plain(1)}, out_);
  }

  std::array<std::string, 2> paths() const {
    return {inputs_.texts[0].path, inputs_.texts[1].path};
  }

  int say(Verdict verdict) {
    out_.write(verdict_line(verdict, names_.plain(0), names_.plain(1)));
    return verdict == Verdict::identical ? exit_same : exit_different;
  }

  const RunPlan& plan_;
  Inputs inputs_;
  const std::string* heading_;
  PairOutput& out_;
  PairNames names_;
  std::array<bool, 2> absent_;    // the sides read as empty because they are missing
  bool lines_completed_ = false;  // under -e, last lines were given their line ends
};

// Runs one pair's comparison; trouble with it is said on its output. This
// is the one place, but main, where trouble is caught.
template <class Compare>
Outcome run_pair(PairOutput& out, Compare compare) {
  try {
    return {compare(), false};
  } catch (const Trouble& trouble) {
    out.warn(trouble.message);
    return {exit_trouble, trouble.ends_run};
  }
}

// What the byte screen of a walk already tells, so that the files need not
// be read: whether they are the same, or, where only that counts, differ.
std::optional<int> verdict_known(const RunPlan& plan, const FilesInTrees& pair, PairOutput& out) {
  const std::string& a = shown_name(plan.labels, 0, pair.files.paths[0]);
  const std::string& b = shown_name(plan.labels, 1, pair.files.paths[1]);
  if (pair.sameness == Sameness::same && !plan.writes_equal_inputs) {
    if (plan.report_identical) out.write(verdict_line(Verdict::identical, a, b));
    return exit_same;
  }
  if (pair.sameness == Sameness::different && plan.brief && !plan.ignores_some_changes) {
    out.write(verdict_line(Verdict::differ, a, b));
    return exit_different;
  }
  return std::nullopt;
}

// A binary pair: only whether its bytes differ is said (under the stat
// forms, with the sizes of its files counted).
int compare_binary(const RunPlan& plan, OpenedPair& pair, std::array<bool, 2> absent,
                   PairOutput& out) {
  const std::string& a = shown_name(plan.labels, 0, pair.text(0).path);
  const std::string& b = shown_name(plan.labels, 1, pair.text(1).path);
  if (pair.same_bytes()) {
    if (plan.report_identical) out.write(verdict_line(Verdict::identical, a, b));
    return exit_same;
  }
  return say_binary_differ(plan, {pair.text(0).path, pair.text(1).path}, absent,
                           {pair.source(0).size(), pair.source(1).size()}, {a, b}, out);
}

// Under --no-dereference, a pair of which either file is a symbolic link is
// compared as links: two by what they hold, a link and anything else by
// what they are. Nothing when neither is a link.
std::optional<int> compare_as_links(const RunPlan& plan, const PairFiles& files, PairOutput& out) {
  std::array<std::string, 2> failures;
  const std::array<std::optional<platform::EntryStatus>, 2> statuses =
      unfollowed_statuses(files, failures);
  const auto is_link = [](const std::optional<platform::EntryStatus>& status) {
    return status && status->kind == platform::EntryKind::symbolic_link;
  };
  if (!is_link(statuses[0]) && !is_link(statuses[1])) return std::nullopt;
  for (std::size_t side = 0; side < 2; ++side) {
    if (!statuses[side]) fail_pair(files.paths[side], failures[side]);
  }
  const std::string& a = shown_name(plan.labels, 0, files.paths[0]);
  const std::string& b = shown_name(plan.labels, 1, files.paths[1]);
  if (!is_link(statuses[0]) || !is_link(statuses[1])) {
    out.write("File " + a + " is a " + entry_kind_name(*statuses[0]) + " while file " + b +
              " is a " + entry_kind_name(*statuses[1]) + "\n");
    return exit_different;
  }
  std::array<std::string, 2> targets;
  for (std::size_t side = 0; side < 2; ++side) {
    std::string failure;
    std::optional<std::string> target = platform::link_target(files.paths[side].c_str(), failure);
    if (!target) fail_pair(files.paths[side], failure);
    targets[side] = std::move(*target);
  }
  if (targets[0] == targets[1]) {
    if (plan.report_identical) out.write(verdict_line(Verdict::identical, a, b));
    return exit_same;
  }
  out.write("Symbolic links " + files.paths[0] + " and " + files.paths[1] + " differ\n");
  return exit_different;
}

// A report of this many bytes is held until the pair is compared and its
// files found the size they were; a longer one is written as it goes.
constexpr std::size_t held_report_bytes = std::size_t{8} * 1024 * 1024;

// The output of a pair compared whole, held in memory up to a limit until
// released: a file that shrinks while its mapped lines are written (which
// ends the process at once) or is found to have changed size after does
// not leave part of a report on standard output. A report too long to hold
// is written on as it grows, so that huge pairs cost no memory for it; for
// those only the check at the end is left. Dropped unless released.
class HeldUntilChecked : public PairOutput {
 public:
  explicit HeldUntilChecked(PairOutput& out) : out_(out) {}

  void write(std::string_view bytes) override {
    if (streaming_) return out_.write(bytes);
    held_ += bytes;
    if (held_.size() > held_report_bytes) {
      release();
      streaming_ = true;
    }
  }
  void warn(std::string_view line) override {
    release();
    out_.warn(line);
  }
  void count(const FileStat& file) override { out_.count(file); }
  void release() {
    if (!held_.empty()) out_.write(held_);
    held_.clear();
  }

 private:
  PairOutput& out_;
  std::string held_;
  bool streaming_ = false;
};

// Compares an opened pair: a binary one by its bytes, a huge one a region at
// a time (whose hunks are written as soon as they are found), any other
// whole.
int compare_opened(const RunPlan& plan, OpenedPair& pair, const PairFiles& files,
                   const std::string* heading, PairOutput& out) {
  if (pair.binary()) return compare_binary(plan, pair, files.absent, out);
  if (compares_in_regions(plan, pair)) return compare_in_regions(plan, pair, heading, out);
  HeldUntilChecked held(out);
  const int status =
      Comparison(plan, read_inputs(pair, plan.reading), heading, held, files.absent).run();
  pair.check_sizes_kept();
  held.release();
  return status;
}

}  // namespace

Outcome compare_operands(const RunPlan& plan, const Operands& operands, PairOutput& out) {
  return run_pair(out, [&] {
    PairFiles files =
        files_of(operands, plan.reading.new_file, plan.reading.unidirectional_new_file);
    if (plan.no_dereference) {
      if (const std::optional<int> status = compare_as_links(plan, files, out)) return *status;
    }
    if (name_one_file(files)) {
      // Nothing need be read to know one file is the same as itself, unless
      // every line is written even then.
      if (!plan.writes_equal_inputs) {
        if (plan.report_identical) {
          out.write(verdict_line(Verdict::identical, shown_name(plan.labels, 0, files.paths[0]),
                                 shown_name(plan.labels, 1, files.paths[1])));
        }
        return exit_same;
      }
      files.one_file = true;
    }
    OpenedPair pair(files, plan.reading.look_for_nul);
    return compare_opened(plan, pair, files, nullptr, out);
  });
}

Outcome compare_files(const RunPlan& plan, const FilesInTrees& pair, PairOutput& out) {
  if (const std::optional<int> status = verdict_known(plan, pair, out)) return {*status, false};
  return run_pair(out, [&] {
    OpenedPair opened(pair.files, plan.reading.look_for_nul);
    return compare_opened(plan, opened, pair.files, pair.heading, out);
  });
}

}  // namespace ralu
