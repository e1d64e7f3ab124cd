#include "ralu/pair/comparison.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/common.h"
#include "platform/operands.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/edit_script.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/context.h"
#include "ralu/formats/ed.h"
#include "ralu/formats/formatted.h"
#include "ralu/formats/function_line.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/name_quoting.h"
#include "ralu/formats/normal.h"
#include "ralu/formats/rcs.h"
#include "ralu/formats/side_by_side.h"
#include "ralu/formats/unified.h"
#include "ralu/pair/ignored_changes.h"
#include "ralu/pair/line_keys.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// Only an input of that many bytes can have that many lines.
void check_line_count(const InputText& input) {
  const std::string_view bytes = input.window;
  if (bytes.size() > max_lines && count_lines(bytes) > max_lines) {
    fail(input.path.c_str(), "too many lines");
  }
}

// Whether the locale for times, as the environment sets it, is the C locale
// (or one this system lacks, which leaves the C locale in place).
bool times_read_the_c_way() {
  static const bool c_way = [] {
    const char* const name = std::setlocale(LC_TIME, "");
    return name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
  }();
  return c_way;
}

bool colour_wanted(ColorWhen when) {
  if (when != ColorWhen::automatic) return when == ColorWhen::always;
  const char* const terminal = std::getenv("TERM");
  return platform::standard_output_is_terminal() &&
         (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

// Function lines head the hunks of the forms that have hunk headers.
bool shows_function_lines(const Options& options) {
  const bool wanted = options.show_c_function || !options.function_patterns.empty();
  return wanted && (options.form == OutputForm::unified || options.form == OutputForm::context);
}

// Whether a form shows every line of the inputs, not only the changes and
// their context.
bool shows_whole_inputs(const Options& options) {
  return options.form == OutputForm::formatted ||
         (options.form == OutputForm::side_by_side && !options.side_by_side.suppress_common_lines);
}

// One input's lines as the report shows them (carriage returns stripped
// under --strip-trailing-cr, a line end given to the last line under -e)
// and as the search matches them (their keys, when the options ignore
// something in lines). Each view is of the input or of a text held here.
class InputLines {
 public:
  InputLines(const InputText& input, const Options& options) : shown(input.window) {
    check_line_count(input);
    const LineMatching& matching = options.matching;
    if (matching.strip_trailing_cr) {
      own_shown_ = strip_trailing_cr(std::string(shown));
      shown = own_shown_;
    }
    if (options.form == OutputForm::ed && !shown.empty() && shown.back() != '\n') {
      if (own_shown_.data() != shown.data()) own_shown_ = shown;
      own_shown_ += '\n';
      shown = own_shown_;
    }
    matched = shown;
    if (matching.needs_keys()) {
      keys_ = key_text(shown, matching);
      matched = keys_;
    }
  }
  InputLines(const InputLines&) = delete;
  InputLines& operator=(const InputLines&) = delete;

  std::string_view shown;
  std::string_view matched;

 private:
  std::string own_shown_;
  std::string keys_;
};

// Compares the inputs, writes what the options ask for, and gives the exit
// status.
class Comparison {
 public:
  Comparison(const Options& options, Inputs inputs, const std::string* heading, PairOutput& out)
      : options_(options), inputs_(std::move(inputs)), heading_(heading), out_(out) {
    for (std::size_t i = 0; i < 2; ++i) {
      const std::string& path = inputs_.texts[i].path;
      plain_names_[i] = shown_name(options, i, path);
      header_names_[i] = i < options.labels.size() ? options.labels[i] : quote_name(path);
    }
  }

  int run(const Patterns& patterns) {
    const int status = compare_and_report(patterns);
    if (!lines_completed_) return status;
    return std::max(status, warn_of_incomplete_last_lines());
  }

 private:
  int compare_and_report(const Patterns& patterns) {
    if (inputs_.identical && (inputs_.binary || !writes_equal_inputs(options_))) return same();
    if (inputs_.binary) {
      return say_different(options_.brief ? "Files" : "Binary files");
    }
    if (options_.brief && !ignores_some_changes(options_)) {
      return say_different("Files");
    }

    if (options_.form == OutputForm::ed) {
      // ed cannot write a line without its end: the last lines get one.
      // (Inputs told apart without reading their lines are not warned of.)
      lines_completed_ = true;
    }
    const InputLines old_lines(inputs_.texts[0], options_);
    const InputLines new_lines(inputs_.texts[1], options_);
    EditScript script =
        compare_texts(old_lines.matched, new_lines.matched, {options_.minimal, std::nullopt});
    if (options_.ignore_blank_lines || !patterns.ignore.empty()) {
      mark_ignored_groups(script, {old_lines.matched, old_lines.shown},
                          {new_lines.matched, new_lines.shown}, options_.ignore_blank_lines,
                          patterns.ignore);
    }
    const bool differ = HunkWalker(script, 0).next().has_value();
    if (!differ && !writes_equal_inputs(options_)) return same();
    if (options_.brief) return say_different("Files");
    write_styled_report(old_lines.shown, new_lines.shown, script);
    return differ ? exit_different : same();
  }

  // Writes the report with what the options add to the lines: colour,
  // function lines, the first lines' numbers, tabs.
  void write_styled_report(std::string_view old_text, std::string_view new_text,
                           const EditScript& script) const {
    const InputText& old_input = inputs_.texts[0];
    std::optional<FunctionLineFinder> function_lines;
    if (shows_function_lines(options_)) {
      function_lines.emplace(old_input.from_start, options_.show_c_function,
                             compile_patterns("-F", options_.function_patterns),
                             options_.matching.strip_trailing_cr);
    }
    const Palette palette;
    ReportStyle style;
    style.palette = colour_wanted(options_.color) ? &palette : nullptr;
    style.function_lines = function_lines ? &*function_lines : nullptr;
    style.old_first_line = old_input.first_line;
    style.new_first_line = inputs_.texts[1].first_line;
    style.look = options_.look;
    if (heading_ != nullptr) {
      out_.write(*heading_ + " " + header_names_[0] + " " + header_names_[1] + "\n");
    }
    write_report(out_, old_text, new_text, script, style);
  }

  // An ed script has lost the missing line end of an input's last line: so
  // the script is not quite the change, and that is trouble.
  int warn_of_incomplete_last_lines() const {
    int status = exit_same;
    for (std::size_t i = 0; i < 2; ++i) {
      if (!inputs_.texts[i].lacks_final_line_end) continue;
      out_.warn(std::string(common::cmd_name) + ": " + plain_names_[i] +
                ": No newline at end of file\n");
      status = exit_trouble;
    }
    return status;
  }

  int same() {
    if (options_.report_identical) {
      out_.write(pair_line("Files", plain_names_[0], plain_names_[1], "are identical"));
    }
    return exit_same;
  }

  // "Files A and B differ", or "Binary files ..." as `what` says.
  int say_different(std::string_view what) {
    out_.write(pair_line(what, plain_names_[0], plain_names_[1], "differ"));
    return exit_different;
  }

  void write_report(OutputSink& out, std::string_view old_text, std::string_view new_text,
                    const EditScript& script, const ReportStyle& style) const {
    switch (options_.form) {
      case OutputForm::unified:
        return write_unified(out, header_label(0), header_label(1), old_text, new_text, script,
                             options_.context, style);
      case OutputForm::context:
        return write_context(out, header_label(0), header_label(1), old_text, new_text, script,
                             options_.context, style);
      case OutputForm::normal:
        return write_normal(out, old_text, new_text, script, style);
      case OutputForm::ed:
        return write_ed(out, old_text, new_text, script, style);
      case OutputForm::rcs:
        return write_rcs(out, old_text, new_text, script, style);
      case OutputForm::side_by_side:
        return write_side_by_side(out, old_text, new_text, script, options_.side_by_side, style);
      case OutputForm::formatted:
        return write_formatted(out, old_text, new_text, script, options_.formats, style);
    }
  }

  // A label stands alone; a name is followed by the file's time.
  FileLabel header_label(std::size_t i) const {
    if (i < options_.labels.size()) return {header_names_[i], std::nullopt};
    return {header_names_[i], inputs_.texts[i].modified,
            options_.form == OutputForm::context && times_read_the_c_way()};
  }

  const Options& options_;
  Inputs inputs_;
  const std::string* heading_;
  PairOutput& out_;
  std::array<std::string, 2> plain_names_;
  std::array<std::string, 2> header_names_;
  bool lines_completed_ = false;  // under -e, last lines were given their line ends
};

}  // namespace

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

bool writes_equal_inputs(const Options& options) {
  return shows_whole_inputs(options) && !options.brief;
}

std::string pair_line(std::string_view what, const std::string& a, const std::string& b,
                      std::string_view verdict) {
  std::string line(what);
  line += ' ';
  line += a;
  line += " and ";
  line += b;
  line += ' ';
  line += verdict;
  line += '\n';
  return line;
}

bool ignores_some_changes(const Options& options) {
  return options.matching.needs_keys() || options.matching.strip_trailing_cr ||
         options.ignore_blank_lines || !options.ignore_patterns.empty();
}

const std::string& shown_name(const Options& options, std::size_t i, const std::string& path) {
  return i < options.labels.size() ? options.labels[i] : path;
}

InputRequest input_request(const Options& options) {
  InputRequest request;
  request.new_file = options.new_file;
  // As many equal lines as the engine looks at, so that it finds the script
  // it would find on the whole inputs, and the context beyond them.
  request.margin_lines =
      shows_whole_inputs(options) ? UINT64_MAX : compaction_margin + options.context;
  request.old_from_start = shows_function_lines(options);
  request.look_for_nul = !options.text;
  request.whole_when_identical = writes_equal_inputs(options);
  return request;
}

int compare_inputs(const Options& options, Inputs inputs, const Patterns& patterns, PairOutput& out,
                   const std::string* heading) {
  return Comparison(options, std::move(inputs), heading, out).run(patterns);
}

void StandardPairOutput::write(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
  }
}

void StandardPairOutput::warn(std::string_view line) {
  finish();
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void StandardPairOutput::finish() {
  common::flush_standard_output_or_exit(common::cmd_name, exit_trouble, error_);
}

void HeldPairOutput::write(std::string_view bytes) {
  if (parts_.empty() || parts_.back().warning) parts_.push_back({false, {}});
  parts_.back().text += bytes;
}

void HeldPairOutput::warn(std::string_view line) { parts_.push_back({true, std::string(line)}); }

void HeldPairOutput::pass_on(PairOutput& out) const {
  for (const Part& part : parts_) {
    if (part.warning) {
      out.warn(part.text);
    } else {
      out.write(part.text);
    }
  }
}

void prepare_comparisons_on_threads() { static_cast<void>(times_read_the_c_way()); }

}  // namespace ralu
