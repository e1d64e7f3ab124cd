// ralu's command line, read the GNU way: options may come before, between or
// after the names, "--" ends them, long options may be abbreviated while they
// stay unambiguous, and short options may be grouped ("-ubw", "-U2").
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ralu/formats/forms.h"
#include "ralu/formats/stat_table.h"
#include "ralu/formats/word_diff.h"
#include "ralu/pair/line_keys.h"
#include "ralu/trees/tree_options.h"

namespace ralu {

enum class ColorWhen { never, automatic, always };

struct Options {
  OutputForm form = OutputForm::unified;       // unified unless an option picks another
  std::size_t context = default_context;       // lines of context around each change
  bool minimal = false;                        // -d: always a shortest edit script
  std::optional<std::size_t> horizon_lines;    // --horizon-lines
  LineMatching matching;                       // -i -E -Z -b -w --strip-trailing-cr
  bool ignore_blank_lines = false;             // -B
  std::vector<std::string> ignore_patterns;    // -I RE: changes whose lines all match
  bool show_c_function = false;                // -p
  std::vector<std::string> function_patterns;  // -F RE, in the order given
  std::vector<std::string> labels;             // --label, at most two
  std::optional<std::string> palette;          // --palette, as given
  WordDiffRequest word_diff;                   // --word-diff, --word-diff-regex, --color-words
  LineLook look;                               // -t -T --tabsize
  SideBySideLayout side_by_side;               // -W --left-column --suppress-common-lines
  LineFormats formats;                         // -D and the line and group formats
  StatLimits stat_limits;                      // --stat=WIDTH,NAME-WIDTH,COUNT
  ColorWhen color = ColorWhen::never;
  bool brief = false;             // -q
  bool report_identical = false;  // -s
  bool text = false;              // -a: never call a file binary
  bool new_file = false;          // -N: an absent file is empty
  TreeOptions tree;
  // --from-file / --to-file: compared with every name given.
  std::optional<std::string> from_file;
  std::optional<std::string> to_file;
  bool help = false;
  bool version = false;
  StatForm stat_form = StatForm::none;  // --stat, --numstat, --shortstat
  bool form_given = false;              // under a stat form: an option picked the form
  bool highlight_changes = false;       // mark where changed lines differ, in colour
  std::vector<std::string> names;       // the operands, in order
  // The arguments that were not operands, as written and in order, for the
  // line that heads each pair of files compared within directories.
  std::vector<std::string> switches;

  bool operator==(const Options&) const = default;
};

// The options, or what is wrong with the command line: a text that names the
// option and says why, such as "-U x: invalid context length", or names
// options that may not go together, such as "--from-file and --to-file both
// given", or says what the operands lack, such as "two files are needed".
struct ParsedCommandLine {
  Options options;
  std::string error;  // empty when the command line is good
};

// Reads the arguments that follow the program's name, in order; --help and
// --version end the reading where they stand, as they end the run. Without
// them the operands must name what to compare: two files, or with one of
// --from-file and --to-file (not both) any number.
ParsedCommandLine parse_command_line(std::span<const char* const> arguments);

// What an option takes after it. A letter whose long option's value is
// optional still needs one ("-U 2", "-U2"): "-U" alone would leave the next
// argument's meaning unclear.
enum class Takes { nothing, value, optional_value };

class OptionSetter;
struct GivenOption;

// One option: how it is spelled, what it takes and what it sets. A letter
// that is another name for a long option shares its row.
struct OptionRow {
  std::string_view long_name;  // without the "--"; empty when there is only a letter
  char letter;                 // 0 when there is only a long name
  Takes takes;
  void (*apply)(OptionSetter&, const GivenOption&);
};

// Every option ralu reads, in the order in which an ambiguous abbreviation
// lists the long names it could stand for.
std::span<const OptionRow> option_table();

// The values an option's value must be one of, for an option whose values
// are a fixed few (--color); empty for every other. Shell completion offers
// them.
std::span<const std::string_view> option_choices(std::string_view long_name);

}  // namespace ralu
