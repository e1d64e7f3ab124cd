// ralu: compares two text files line by line and writes their differences to
// standard output as a unified diff, the form `patch` reads. Its options and
// conventions are GNU diff's, for two files and for two directory trees.
//
// Exit status: 0 when the files are equal (nothing is written), 1 when they
// differ, 2 on trouble, with a one-line message on standard error.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/common.h"
#include "platform/input_file.h"
#include "platform/platform.h"
#include "ralu/command/options.h"
#include "ralu/inputs/inputs.h"
#include "ralu/pair/comparison.h"
#include "ralu/trees/tree_report.h"
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
    "  -r, --recursive             compare subdirectories too, all the way down",
    "      --unidirectional-new-file  read a missing first file as empty",
    "  -x PAT, --exclude=PAT       leave out names in directories that match PAT",
    "  -X FILE, --exclude-from=FILE  leave out names that match a pattern in FILE",
    "  -S NAME, --starting-file=NAME  start comparing directories at NAME",
    "      --ignore-file-name-case  pair names in directories whatever their case",
    "      --no-ignore-file-name-case  pair names in directories by their exact bytes",
    "      --no-dereference        compare symbolic links as links",
    "  -d, --minimal               always find a shortest edit script, however long it takes",
    "  -H, --speed-large-files     accepted; ralu is fast on large files anyway",
    "      --horizon-lines=NUM     accepted; ralu always keeps the common head and tail",
    "      --from-file=FILE        compare FILE with each FILE given",
    "      --to-file=FILE          compare each FILE given with FILE",
    "      --help                  print this help and exit",
    "      --version               print the version and exit",
    "",
    "A FILE of '-' is standard input. When one FILE is a directory, the file of the other's",
    "name inside it is compared; two directories are compared by the names they hold, as",
    "diff compares them. A file holding a NUL byte is binary: ralu then only says",
    "whether the files differ. Long options may be abbreviated while unambiguous; '--'",
    "ends the options. LFMT and GFMT take diff's % escapes (see ralu(1)).",
    "Exit status is 0 if the files are the same, 1 if they differ, 2 on trouble.",
    nullptr,
};
void (*endfun)() = nullptr;
std::FILE* errfp = nullptr;

}  // namespace common

namespace {

using ralu::exit_same;
using ralu::exit_trouble;
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

// The pairs to compare: the two names, or with --from-file or --to-file
// that file beside each name in turn.
std::vector<std::vector<std::string>> pairs_to_compare(const ralu::Options& options) {
  std::vector<std::vector<std::string>> pairs;
  if (options.from_file || options.to_file) {
    for (const std::string& name : options.names) {
      pairs.push_back(options.from_file ? std::vector{*options.from_file, name}
                                        : std::vector{name, *options.to_file});
    }
    return pairs;
  }
  pairs.push_back(options.names);
  return pairs;
}

int compare(int argc, char** argv) {
  platform::binary_standard_output();  // the report's lines keep their own ends
  // A mapped input that shrinks under ralu is trouble, as any other.
  platform::set_mapping_fault_status(exit_trouble);
  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(
      std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)));
  if (!parsed.error.empty()) fail_usage(parsed.error);
  const ralu::Options& options = parsed.options;
  if (options.help) print_help();
  if (options.version) print_version();
  const std::vector<std::vector<std::string>> pairs = pairs_to_compare(options);
  // Bad patterns are found before anything is compared.
  ralu::compile_patterns("-F", options.function_patterns);
  const ralu::Patterns patterns{ralu::compile_patterns("-I", options.ignore_patterns)};
  const std::vector<std::string> excluded = ralu::excluded_names(options.tree);

  int status = exit_same;
  for (const std::vector<std::string>& names : pairs) {
    try {
      if (const std::optional<std::array<bool, 2>> absent = ralu::directory_roots(names, options)) {
        status = std::max(status, ralu::compare_trees(options, patterns, excluded, names, *absent));
        continue;
      }
      ralu::StandardPairOutput out;
      ralu::Inputs inputs = ralu::read_inputs(names, ralu::input_request(options));
      status = std::max(status, ralu::compare_inputs(options, std::move(inputs), patterns, out));
      out.finish();
    } catch (const ralu::PairTrouble& trouble) {
      ralu::say_pair_trouble(trouble);
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
