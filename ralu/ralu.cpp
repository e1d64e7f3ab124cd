// ralu: compares two text files line by line and writes their differences to
// standard output as a unified diff, the form `patch` reads. Its options and
// conventions are GNU diff's, for two files.
//
// Exit status: 0 when the files are equal (nothing is written), 1 when they
// differ, 2 on trouble, with a one-line message on standard error.
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/common.h"
#include "platform/operands.h"
#include "platform/pattern.h"
#include "platform/platform.h"
#include "ralu/blank_hunks.h"
#include "ralu/changes.h"
#include "ralu/edit_script.h"
#include "ralu/function_line.h"
#include "ralu/hunks.h"
#include "ralu/line_keys.h"
#include "ralu/lines.h"
#include "ralu/name_quoting.h"
#include "ralu/options.h"
#include "ralu/unified.h"

namespace common {

const char* cmd_name = "ralu";
const char* const usage[] = {
    "Usage: ralu [OPTION]... FILE1 FILE2",
    "Compares FILE1 and FILE2 line by line and writes their differences to standard output",
    "as a unified diff. Options may come before, between or after the files.",
    "",
    "  -u                          unified output with 3 lines of context (the only form)",
    "  -U NUM, --unified[=NUM]     show NUM lines of context around each change (default 3)",
    "  -d, --minimal               always find a shortest edit script, however long it takes",
    "",
    "  -i, --ignore-case           ignore case differences in ASCII letters",
    "  -E, --ignore-tab-expansion  ignore changes due to tab expansion",
    "  -Z, --ignore-trailing-space ignore white space at line end",
    "  -b, --ignore-space-change   ignore changes in the amount of white space",
    "  -w, --ignore-all-space      ignore all white space",
    "  -B, --ignore-blank-lines    ignore changes that only insert or delete blank lines",
    "      --strip-trailing-cr     strip a carriage return at the end of each input line",
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
    "  -a, --text                  read every file as text",
    "  -N, --new-file              read a missing file as empty",
    "      --help                  print this help and exit",
    "      --version               print the version and exit",
    "",
    "A FILE of '-' is standard input. When one FILE is a directory, the file of the other's",
    "name inside it is compared. A file holding a NUL byte is binary: ralu then only says",
    "whether the files differ. Long options may be abbreviated while unambiguous; '--'",
    "ends the options.",
    "Exit status is 0 if the files are the same, 1 if they differ, 2 on trouble.",
    nullptr,
};
void (*endfun)() = nullptr;
std::FILE* errfp = nullptr;

}  // namespace common

namespace {

using common::errmsg;

constexpr int exit_same = 0;
constexpr int exit_different = 1;
constexpr int exit_trouble = 2;

[[noreturn]] void fail(const char* subject, const char* reason) {
  errmsg("%s: %s: %s\n", common::cmd_name, subject, reason);
  std::exit(exit_trouble);
}

// A mistake on the command line: one line, with the way to the help.
[[noreturn]] void fail_usage(const std::string& what) {
  errmsg("%s: %s; try '%s --help'\n", common::cmd_name, what.c_str(), common::cmd_name);
  std::exit(exit_trouble);
}

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

// One of the two inputs: what was named, what is read, and how it is shown.
struct Input {
  std::string path;                 // what is opened: the name, or a file inside a named directory
  platform::FileContents contents;  // empty, with the epoch's time, for a file missing under -N
};

bool is_standard_input(const std::string& name) { return name == "-"; }

// The paths the two names stand for: a directory beside a file stands for the
// file of that name inside it.
std::array<std::string, 2> resolve_paths(const std::vector<std::string>& names) {
  std::array<std::string, 2> paths{names[0], names[1]};
  std::array<bool, 2> directory{};
  for (std::size_t i = 0; i < 2; ++i) {
    directory[i] = !is_standard_input(names[i]) &&
                   platform::path_kind(names[i].c_str()) == platform::PathKind::directory;
  }
  if (directory[0] && directory[1]) {
    fail_usage("'" + names[0] + "' and '" + names[1] +
               "' are both directories, and ralu compares files");
  }
  for (std::size_t i = 0; i < 2; ++i) {
    if (!directory[i]) continue;
    const std::string& other = names[1 - i];
    if (is_standard_input(other)) fail_usage("cannot compare '-' to a directory");
    paths[i] = platform::path_in_directory(names[i], other);
  }
  return paths;
}

std::array<Input, 2> load_inputs(const std::vector<std::string>& names, bool new_file) {
  const std::array<std::string, 2> paths = resolve_paths(names);
  std::array<bool, 2> absent{};
  for (std::size_t i = 0; i < 2; ++i) {
    absent[i] = new_file && !is_standard_input(paths[i]) &&
                platform::path_kind(paths[i].c_str()) == platform::PathKind::absent;
  }
  // Under -N one file may be missing, not both.
  if (absent[0] && absent[1]) absent = {false, false};

  std::array<Input, 2> inputs;
  for (std::size_t i = 0; i < 2; ++i) {
    Input& input = inputs[i];
    input.path = paths[i];
    if (absent[i]) {
      input.contents.modified = platform::epoch_local_time();
      continue;
    }
    // Standard input can be read only once; named twice, it is one input.
    if (i == 1 && is_standard_input(paths[0]) && is_standard_input(paths[1])) {
      input.contents = inputs[0].contents;
      continue;
    }
    platform::ReadOutcome outcome = is_standard_input(input.path)
                                        ? platform::read_standard_input()
                                        : platform::read_whole_file_at(input.path.c_str());
    if (!outcome.contents) fail(input.path.c_str(), outcome.failure.c_str());
    input.contents = std::move(*outcome.contents);
  }
  return inputs;
}

// Only an input of that many bytes can have that many lines.
void check_line_count(const Input& input) {
  const std::string& bytes = input.contents.bytes;
  if (bytes.size() > ralu::max_lines && ralu::count_lines(bytes) > ralu::max_lines) {
    fail(input.path.c_str(), "too many lines");
  }
}

bool holds_nul(const std::string& bytes) { return bytes.find('\0') != std::string::npos; }

bool colour_wanted(ralu::ColorWhen when) {
  if (when != ralu::ColorWhen::automatic) return when == ralu::ColorWhen::always;
  const char* const terminal = std::getenv("TERM");
  return platform::standard_output_is_terminal() &&
         (terminal == nullptr || std::strcmp(terminal, "dumb") != 0);
}

std::vector<std::unique_ptr<platform::LinePattern>> compile_patterns(
    const std::vector<std::string>& patterns) {
  std::vector<std::unique_ptr<platform::LinePattern>> compiled;
  for (const std::string& pattern : patterns) {
    std::string error;
    compiled.push_back(platform::compile_line_pattern(pattern, error));
    if (!compiled.back()) {
      std::string what = "-F: invalid regular expression '";
      what += pattern;
      what += "' (";
      what += error;
      what += ')';
      fail_usage(what);
    }
  }
  return compiled;
}

// Compares the inputs, writes what the options ask for, and gives the exit
// status.
class Comparison {
 public:
  Comparison(const ralu::Options& options, std::array<Input, 2> inputs)
      : options_(options), inputs_(std::move(inputs)) {
    for (std::size_t i = 0; i < 2; ++i) {
      const bool labelled = i < options.labels.size();
      plain_names_[i] = labelled ? options.labels[i] : inputs_[i].path;
      header_names_[i] = labelled ? options.labels[i] : ralu::quote_name(inputs_[i].path);
    }
  }

  int run(std::vector<std::unique_ptr<platform::LinePattern>> patterns) {
    std::string& old_bytes = inputs_[0].contents.bytes;
    std::string& new_bytes = inputs_[1].contents.bytes;
    if (old_bytes == new_bytes) return same();
    if (!options_.text && (holds_nul(old_bytes) || holds_nul(new_bytes))) {
      return say_different(options_.brief ? "Files %s and %s differ\n"
                                          : "Binary files %s and %s differ\n");
    }
    const ralu::LineMatching& matching = options_.matching;
    const bool ignores_some_changes =
        matching.needs_keys() || matching.strip_trailing_cr || options_.ignore_blank_lines;
    if (options_.brief && !ignores_some_changes) return say_different("Files %s and %s differ\n");

    if (matching.strip_trailing_cr) {
      old_bytes = ralu::strip_trailing_cr(std::move(old_bytes));
      new_bytes = ralu::strip_trailing_cr(std::move(new_bytes));
    }
    check_line_count(inputs_[0]);
    check_line_count(inputs_[1]);
    // The search runs on the lines' keys when the options ignore something in
    // them; the report shows the lines themselves.
    std::string old_keys;
    std::string new_keys;
    if (matching.needs_keys()) {
      old_keys = ralu::key_text(old_bytes, matching);
      new_keys = ralu::key_text(new_bytes, matching);
    }
    const std::string_view old_matched = matching.needs_keys() ? old_keys : old_bytes;
    const std::string_view new_matched = matching.needs_keys() ? new_keys : new_bytes;

    const ralu::EditScript script =
        ralu::compare_texts(old_matched, new_matched, {options_.minimal, std::nullopt});
    std::vector<std::uint8_t> blank_groups;
    if (options_.ignore_blank_lines) {
      blank_groups = ralu::blank_only_groups(script, old_matched, new_matched);
    }
    if (!ralu::HunkWalker(script, options_.context, blank_groups).next()) return same();
    if (options_.brief) return say_different("Files %s and %s differ\n");

    std::optional<ralu::LineTable> old_lines;
    std::optional<ralu::FunctionLineFinder> function_lines;
    if (options_.show_c_function || !patterns.empty()) {
      old_lines.emplace(old_bytes);
      function_lines.emplace(*old_lines, options_.show_c_function, std::move(patterns));
    }
    const ralu::Palette palette;
    ralu::ReportStyle style;
    style.palette = colour_wanted(options_.color) ? &palette : nullptr;
    style.function_lines = function_lines ? &*function_lines : nullptr;
    style.blank_groups = blank_groups;
    StandardOutput out;
    ralu::write_unified(out, header_label(0), header_label(1), old_bytes, new_bytes, script,
                        options_.context, style);
    out.finish();
    return exit_different;
  }

 private:
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

  // A label stands alone; a name is followed by the file's time.
  ralu::FileLabel header_label(std::size_t i) const {
    if (i < options_.labels.size()) return {header_names_[i], std::nullopt};
    return {header_names_[i], inputs_[i].contents.modified};
  }

  const ralu::Options& options_;
  std::array<Input, 2> inputs_;
  std::array<std::string, 2> plain_names_;
  std::array<std::string, 2> header_names_;
};

}  // namespace

int main(int argc, char** argv) {
  platform::binary_standard_output();  // the report's lines keep their own ends
  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(
      std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
  if (!parsed.error.empty()) fail_usage(parsed.error);
  const ralu::Options& options = parsed.options;
  if (options.help) print_help();
  if (options.version) print_version();
  if (options.names.size() != 2) fail_usage("two files are needed");
  std::vector<std::unique_ptr<platform::LinePattern>> patterns =
      compile_patterns(options.function_patterns);

  Comparison comparison(options, load_inputs(options.names, options.new_file));
  return comparison.run(std::move(patterns));
}
