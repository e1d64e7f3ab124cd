// ralu: compares two text files line by line and writes their differences to
// standard output as a unified diff, the form `patch` reads. Its options and
// conventions are GNU diff's, for two files.
//
// Exit status: 0 when the files are equal (nothing is written), 1 when they
// differ, 2 on trouble, with a one-line message on standard error.
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/common.h"
#include "platform/operands.h"
#include "platform/pattern.h"
#include "platform/platform.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/edit_script.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/context.h"
#include "ralu/formats/ed.h"
#include "ralu/formats/formatted.h"
#include "ralu/formats/function_line.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/normal.h"
#include "ralu/formats/rcs.h"
#include "ralu/formats/side_by_side.h"
#include "ralu/formats/unified.h"
#include "ralu/ignored_changes.h"
#include "ralu/inputs.h"
#include "ralu/line_keys.h"
#include "ralu/name_quoting.h"
#include "ralu/options.h"
#include "ralu/trouble.h"

namespace common {

const char* cmd_name = "ralu";
const char* const usage[] = {
    "Usage: ralu [OPTION]... FILE1 FILE2",
    "  or:  ralu [OPTION]... --from-file=FILE FILE...  (or --to-file=FILE FILE...)",
    "Compares FILE1 and FILE2 line by line and writes their differences to standard output,",
    "as a unified diff unless an option picks another form. Options may come before, between",
    "or after the files.",
    "",
    "Output forms (one a run):",
    "  -u                          unified, with 3 lines of context (the default form)",
    "  -U NUM, --unified[=NUM]     unified, with NUM lines of context",
    "      --normal                diff's own default form: '2c2', '< old', '---', '> new'",
    "  -c, -C NUM, --context[=NUM] context form, with 3 (or NUM) lines of context",
    "  -e, --ed                    an ed script",
    "  -n, --rcs                   an RCS diff",
    "  -y, --side-by-side          two columns, changes marked in the gutter between them",
    "  -W NUM, --width=NUM         side by side, at most NUM columns wide (default 130)",
    "      --left-column           side by side, common lines only in the left column",
    "      --suppress-common-lines side by side, without the common lines",
    "  -D NAME, --ifdef=NAME       the merged file, with #ifdef NAME around the changes",
    "      --line-format=LFMT      every line through LFMT; also --old-line-format=LFMT,",
    "                              --new-line-format=LFMT, --unchanged-line-format=LFMT",
    "      --old-group-format=GFMT every group of deleted lines through GFMT; also",
    "                              --new-, --changed- and --unchanged-group-format=GFMT",
    "  -t, --expand-tabs           expand tabs to blanks in the lines shown",
    "  -T, --initial-tab           a tab, not a blank, before the text of each line",
    "      --tabsize=NUM           tab stops every NUM columns (default 8)",
    "",
    "  -p, --show-c-function       show the C function each change is in",
    "  -F RE, --show-function-line=RE",
    "                              show the last line before each change that matches RE",
    "      --label LABEL           use LABEL for a file's name and time in the header",
    "                              (once for FILE1, twice for FILE1 and FILE2)",
    "      --color[=WHEN]          colour the output: never, auto (on a terminal) or always;",
    "                              WHEN is auto when left out",
    "  -q, --brief                 only say whether the files differ",
    "  -s, --report-identical-files  say so when the files are the same",
    "",
    "  -i, --ignore-case           ignore case differences in ASCII letters",
    "  -E, --ignore-tab-expansion  ignore changes due to tab expansion",
    "  -Z, --ignore-trailing-space ignore white space at line end",
    "  -b, --ignore-space-change   ignore changes in the amount of white space",
    "  -w, --ignore-all-space      ignore all white space",
    "  -B, --ignore-blank-lines    ignore changes that only insert or delete blank lines",
    "  -I RE, --ignore-matching-lines=RE",
    "                              ignore changes whose every line matches RE",
    "      --strip-trailing-cr     strip a carriage return at the end of each input line",
    "  -a, --text                  read every file as text",
    "  -N, --new-file              read a missing file as empty",
    "  -d, --minimal               always find a shortest edit script, however long it takes",
    "  -H, --speed-large-files     accepted; ralu is fast on large files anyway",
    "      --horizon-lines=NUM     accepted; ralu always keeps the common head and tail",
    "      --from-file=FILE        compare FILE with each FILE given",
    "      --to-file=FILE          compare each FILE given with FILE",
    "      --help                  print this help and exit",
    "      --version               print the version and exit",
    "",
    "A FILE of '-' is standard input. When one FILE is a directory, the file of the other's",
    "name inside it is compared. A file holding a NUL byte is binary: ralu then only says",
    "whether the files differ. Long options may be abbreviated while unambiguous; '--'",
    "ends the options. LFMT and GFMT take diff's % escapes (see ralu(1)).",
    "Exit status is 0 if the files are the same, 1 if they differ, 2 on trouble.",
    nullptr,
};
void (*endfun)() = nullptr;
std::FILE* errfp = nullptr;

}  // namespace common

namespace {

using ralu::exit_different;
using ralu::exit_same;
using ralu::exit_trouble;
using ralu::fail;
using ralu::fail_usage;

[[noreturn]] void exit_after_output(int status) {
  common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
  std::exit(status);
}

[[noreturn]] void print_help() {
  for (const char* const* line = common::usage; *line != nullptr; ++line) {
    std::printf("%s\n", *line);
  }
  exit_after_output(exit_same);
}

[[noreturn]] void print_version() {
  std::printf("ralu (kevo) %s\n", RALU_VERSION);
  exit_after_output(exit_same);
}

// Standard output, remembering the first failure to write.
class StandardOutput : public ralu::OutputSink {
 public:
  void write(std::string_view bytes) override {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && error_ == 0) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  // Returns once everything written reached the system; else says why not
  // and ends the process.
  void finish() const {
    common::flush_standard_output_or_exit(common::cmd_name, exit_trouble, error_);
  }

 private:
  int error_ = 0;
};

// Only an input of that many bytes can have that many lines.
void check_line_count(const ralu::InputText& input) {
  const std::string_view bytes = input.window;
  if (bytes.size() > ralu::max_lines && ralu::count_lines(bytes) > ralu::max_lines) {
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

bool colour_wanted(ralu::ColorWhen when) {
  if (when != ralu::ColorWhen::automatic) return when == ralu::ColorWhen::always;
  const char* const terminal = std::getenv("TERM");
  return platform::standard_output_is_terminal() &&
         (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

using PatternList = std::vector<std::unique_ptr<platform::LinePattern>>;

// The patterns of one option, each compiled; a bad one is a usage mistake.
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

// The patterns a run uses for every pair.
struct Patterns {
  PatternList ignore;  // -I
};

// Function lines head the hunks of the forms that have hunk headers.
bool shows_function_lines(const ralu::Options& options) {
  const bool wanted = options.show_c_function || !options.function_patterns.empty();
  return wanted &&
         (options.form == ralu::OutputForm::unified || options.form == ralu::OutputForm::context);
}

// Whether a form shows every line of the inputs, not only the changes and
// their context.
bool shows_whole_inputs(const ralu::Options& options) {
  return options.form == ralu::OutputForm::formatted ||
         (options.form == ralu::OutputForm::side_by_side &&
          !options.side_by_side.suppress_common_lines);
}

// One input's lines as the report shows them (carriage returns stripped
// under --strip-trailing-cr, a line end given to the last line under -e)
// and as the search matches them (their keys, when the options ignore
// something in lines). Each view is of the input or of a text held here.
class InputLines {
 public:
  InputLines(const ralu::InputText& input, const ralu::Options& options) : shown(input.window) {
    check_line_count(input);
    const ralu::LineMatching& matching = options.matching;
    if (matching.strip_trailing_cr) {
      own_shown_ = ralu::strip_trailing_cr(std::string(shown));
      shown = own_shown_;
    }
    if (options.form == ralu::OutputForm::ed && !shown.empty() && shown.back() != '\n') {
      if (own_shown_.data() != shown.data()) own_shown_ = shown;
      own_shown_ += '\n';
      shown = own_shown_;
    }
    matched = shown;
    if (matching.needs_keys()) {
      keys_ = ralu::key_text(shown, matching);
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

// Whether a form writes the inputs' lines even when nothing differs (the
// exit status alone tells that): -D and the formats do, and so does the
// side-by-side form unless it shows changes alone.
bool writes_equal_inputs(const ralu::Options& options) {
  const bool every_line = options.form == ralu::OutputForm::formatted ||
                          (options.form == ralu::OutputForm::side_by_side &&
                           !options.side_by_side.suppress_common_lines);
  return every_line && !options.brief;
}

// Compares the inputs, writes what the options ask for, and gives the exit
// status.
class Comparison {
 public:
  Comparison(const ralu::Options& options, ralu::Inputs inputs)
      : options_(options), inputs_(std::move(inputs)) {
    for (std::size_t i = 0; i < 2; ++i) {
      const bool labelled = i < options.labels.size();
      const std::string& path = inputs_.texts[i].path;
      plain_names_[i] = labelled ? options.labels[i] : path;
      header_names_[i] = labelled ? options.labels[i] : ralu::quote_name(path);
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
      return say_different(options_.brief ? "Files %s and %s differ\n"
                                          : "Binary files %s and %s differ\n");
    }
    const ralu::LineMatching& matching = options_.matching;
    const bool ignores_some_changes = matching.needs_keys() || matching.strip_trailing_cr ||
                                      options_.ignore_blank_lines ||
                                      !options_.ignore_patterns.empty();
    if (options_.brief && !ignores_some_changes) return say_different("Files %s and %s differ\n");

    if (options_.form == ralu::OutputForm::ed) {
      // ed cannot write a line without its end: the last lines get one.
      // (Inputs told apart without reading their lines are not warned of.)
      lines_completed_ = true;
    }
    const InputLines old_lines(inputs_.texts[0], options_);
    const InputLines new_lines(inputs_.texts[1], options_);
    const ralu::EditScript script =
        ralu::compare_texts(old_lines.matched, new_lines.matched, {options_.minimal, std::nullopt});
    std::vector<std::uint8_t> ignored;
    if (options_.ignore_blank_lines || !patterns.ignore.empty()) {
      ignored = ralu::ignored_groups(script, {old_lines.matched, old_lines.shown},
                                     {new_lines.matched, new_lines.shown},
                                     options_.ignore_blank_lines, patterns.ignore);
    }
    const bool differ = ralu::HunkWalker(script, 0, ignored).next().has_value();
    if (!differ && !writes_equal_inputs(options_)) return same();
    if (options_.brief) return say_different("Files %s and %s differ\n");
    write_styled_report(old_lines.shown, new_lines.shown, script, ignored);
    return differ ? exit_different : same();
  }

  // Writes the report with what the options add to the lines: colour,
  // function lines, the groups left out, the first lines' numbers, tabs.
  void write_styled_report(std::string_view old_text, std::string_view new_text,
                           const ralu::EditScript& script,
                           std::span<const std::uint8_t> ignored) const {
    const ralu::InputText& old_input = inputs_.texts[0];
    std::optional<ralu::FunctionLineFinder> function_lines;
    if (shows_function_lines(options_)) {
      function_lines.emplace(old_input.from_start, options_.show_c_function,
                             compile_patterns("-F", options_.function_patterns),
                             options_.matching.strip_trailing_cr);
    }
    const ralu::Palette palette;
    ralu::ReportStyle style;
    style.palette = colour_wanted(options_.color) ? &palette : nullptr;
    style.function_lines = function_lines ? &*function_lines : nullptr;
    style.ignored_groups = ignored;
    style.old_first_line = old_input.first_line;
    style.new_first_line = inputs_.texts[1].first_line;
    style.look = options_.look;
    StandardOutput out;
    write_report(out, old_text, new_text, script, style);
    out.finish();
  }

  // An ed script has lost the missing line end of an input's last line: so
  // the script is not quite the change, and that is trouble.
  int warn_of_incomplete_last_lines() const {
    int status = exit_same;
    for (std::size_t i = 0; i < 2; ++i) {
      if (!inputs_.texts[i].lacks_final_line_end) continue;
      common::errmsg("%s: %s: No newline at end of file\n", common::cmd_name,
                     plain_names_[i].c_str());
      status = exit_trouble;
    }
    return status;
  }

  int same() {
    if (options_.report_identical) print_message("Files %s and %s are identical\n");
    return exit_same;
  }

  int say_different(const char* format) {
    print_message(format);
    return exit_different;
  }

  void print_message(const char* format) {
    std::printf(format, plain_names_[0].c_str(), plain_names_[1].c_str());
    common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
  }

  void write_report(ralu::OutputSink& out, std::string_view old_text, std::string_view new_text,
                    const ralu::EditScript& script, const ralu::ReportStyle& style) const {
    switch (options_.form) {
      case ralu::OutputForm::unified:
        return ralu::write_unified(out, header_label(0), header_label(1), old_text, new_text,
                                   script, options_.context, style);
      case ralu::OutputForm::context:
        return ralu::write_context(out, header_label(0), header_label(1), old_text, new_text,
                                   script, options_.context, style);
      case ralu::OutputForm::normal:
        return ralu::write_normal(out, old_text, new_text, script, style);
      case ralu::OutputForm::ed:
        return ralu::write_ed(out, old_text, new_text, script, style);
      case ralu::OutputForm::rcs:
        return ralu::write_rcs(out, old_text, new_text, script, style);
      case ralu::OutputForm::side_by_side:
        return ralu::write_side_by_side(out, old_text, new_text, script, options_.side_by_side,
                                        style);
      case ralu::OutputForm::formatted:
        return ralu::write_formatted(out, old_text, new_text, script, options_.formats, style);
    }
  }

  // A label stands alone; a name is followed by the file's time.
  ralu::FileLabel header_label(std::size_t i) const {
    if (i < options_.labels.size()) return {header_names_[i], std::nullopt};
    return {header_names_[i], inputs_.texts[i].modified,
            options_.form == ralu::OutputForm::context && times_read_the_c_way()};
  }

  const ralu::Options& options_;
  ralu::Inputs inputs_;
  std::array<std::string, 2> plain_names_;
  std::array<std::string, 2> header_names_;
  bool lines_completed_ = false;  // under -e, last lines were given their line ends
};

// What the comparison needs of the inputs: the lines around the changes that
// the engine and the report look at, and, for the function lines, everything
// before them.
ralu::InputRequest input_request(const ralu::Options& options) {
  ralu::InputRequest request;
  request.new_file = options.new_file;
  // As many equal lines as the engine looks at, so that it finds the script
  // it would find on the whole inputs, and the context beyond them.
  request.margin_lines =
      shows_whole_inputs(options) ? UINT64_MAX : ralu::compaction_margin + options.context;
  request.old_from_start = shows_function_lines(options);
  request.look_for_nul = !options.text;
  request.whole_when_identical = writes_equal_inputs(options);
  return request;
}

// The pairs to compare: the two names, or with --from-file or --to-file
// that file beside each name in turn.
std::vector<std::vector<std::string>> pairs_to_compare(const ralu::Options& options) {
  std::vector<std::vector<std::string>> pairs;
  if (options.from_file && options.to_file) fail_usage("--from-file and --to-file both given");
  if (options.from_file || options.to_file) {
    for (const std::string& name : options.names) {
      pairs.push_back(options.from_file ? std::vector{*options.from_file, name}
                                        : std::vector{name, *options.to_file});
    }
    return pairs;
  }
  if (options.names.size() != 2) fail_usage("two files are needed");
  pairs.push_back(options.names);
  return pairs;
}

int compare(int argc, char** argv) {
  platform::binary_standard_output();  // the report's lines keep their own ends
  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(
      std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
  if (!parsed.error.empty()) fail_usage(parsed.error);
  const ralu::Options& options = parsed.options;
  if (options.help) print_help();
  if (options.version) print_version();
  const std::vector<std::vector<std::string>> pairs = pairs_to_compare(options);
  // Bad patterns are found before anything is compared.
  compile_patterns("-F", options.function_patterns);
  const Patterns patterns{compile_patterns("-I", options.ignore_patterns)};

  int status = exit_same;
  for (const std::vector<std::string>& names : pairs) {
    try {
      Comparison comparison(options, ralu::read_inputs(names, input_request(options)));
      status = std::max(status, comparison.run(patterns));
    } catch (const ralu::PairTrouble&) {
      // Said on standard error; the other pairs are still compared.
      status = exit_trouble;
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  ralu::end_quietly_when_memory_runs_out();
  try {
    return compare(argc, argv);
  } catch (const std::bad_alloc&) {
    ralu::fail_memory_exhausted();
  } catch (const std::length_error&) {
    // A size beyond what a container can hold: memory, again.
    ralu::fail_memory_exhausted();
  }
}
