// ralu's command line, read the GNU way: options may come before, between or
// after the names, "--" ends them, long options may be abbreviated while they
// stay unambiguous, and short options may be grouped ("-ubw", "-U2").
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "ralu/line_keys.h"

namespace ralu {

enum class ColorWhen { never, automatic, always };

struct Options {
  std::size_t context = 3;                     // lines of context around each change
  bool minimal = false;                        // -d: always a shortest edit script
  LineMatching matching;                       // -i -E -Z -b -w --strip-trailing-cr
  bool ignore_blank_lines = false;             // -B
  bool show_c_function = false;                // -p
  std::vector<std::string> function_patterns;  // -F RE, in the order given
  std::vector<std::string> labels;             // --label, at most two
  ColorWhen color = ColorWhen::never;
  bool brief = false;             // -q
  bool report_identical = false;  // -s
  bool text = false;              // -a: never call a file binary
  bool new_file = false;          // -N: an absent file is empty
  bool help = false;
  bool version = false;
  std::vector<std::string> names;  // the operands, in order

  bool operator==(const Options&) const = default;
};

// The options, or what is wrong with the command line: a text that names the
// option and says why, such as "-U x: invalid context length".
struct ParsedCommandLine {
  Options options;
  std::string error;  // empty when the command line is good
};

// Reads the arguments that follow the program's name, in order; --help and
// --version end the reading where they stand, as they end the run.
ParsedCommandLine parse_command_line(std::span<const char* const> arguments);

}  // namespace ralu
