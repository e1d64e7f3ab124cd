// ralu's command line, line keys and name wildcards on arbitrary input.
//
// The parser: any argument list is either read or refused with a message.
// With --from-file or --to-file one more file name at the end adds that name
// and changes nothing else; without them two names are read, and a third is
// refused. A word diff is read only with the unified form.
//
// The keys: a line edited only in what the matching options ignore keeps its
// key; a line with a byte other than white space changed or added never does.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ralu/command/options.h"
#include "ralu/pair/line_keys.h"
#include "ralu/trees/name_pattern.h"

namespace {

using fuzz::check;

constexpr std::string_view white_bytes = " \t\v\f\r";
constexpr std::size_t tab_width = 8;

// Spellings of ralu's options, whole, abbreviated or with values, so that
// random command lines reach every option and their conflicts.
constexpr std::string_view known_spellings[] = {"-u",
                                                "-U",
                                                "-c",
                                                "-C",
                                                "-e",
                                                "-n",
                                                "-y",
                                                "-W",
                                                "-D",
                                                "-t",
                                                "-T",
                                                "-d",
                                                "-H",
                                                "-i",
                                                "-E",
                                                "-Z",
                                                "-b",
                                                "-w",
                                                "-B",
                                                "-I",
                                                "-p",
                                                "-F",
                                                "-q",
                                                "-s",
                                                "-a",
                                                "-N",
                                                "-r",
                                                "-P",
                                                "-x",
                                                "-X",
                                                "-S",
                                                "--recursive",
                                                "--unidirectional-new-file",
                                                "--exclude=",
                                                "--exclude-from=",
                                                "--starting-file=",
                                                "--ignore-file-name-case",
                                                "--no-ignore-file-name-case",
                                                "--no-dereference",
                                                "--no",
                                                "--unified=",
                                                "--context=",
                                                "--normal",
                                                "--ed",
                                                "--rcs",
                                                "--side-by-side",
                                                "--width=",
                                                "--left-column",
                                                "--suppress-common-lines",
                                                "--ifdef=",
                                                "--line-format=",
                                                "--old-line-format=",
                                                "--new-line-format=",
                                                "--unchanged-line-format=",
                                                "--old-group-format=",
                                                "--new-group-format=",
                                                "--changed-group-format=",
                                                "--unchanged-group-format=",
                                                "--expand-tabs",
                                                "--initial-tab",
                                                "--tabsize=",
                                                "--minimal",
                                                "--speed-large-files",
                                                "--horizon-lines=",
                                                "--ignore-matching-lines=",
                                                "--label=",
                                                "--color=",
                                                "--word-diff",
                                                "--word-diff=",
                                                "--word-diff-regex=",
                                                "--color-words",
                                                "--color-words=",
                                                "--word",
                                                "--col",
                                                "--highlight-changes",
                                                "--stat",
                                                "--stat=",
                                                "--numstat",
                                                "--shortstat",
                                                "--from-file=",
                                                "--to-file=",
                                                "--new",
                                                "--con",
                                                "--un",
                                                "--help",
                                                "--version",
                                                "--"};

// An argument: random bytes, or a known spelling with random bytes after it.
std::string argument_from(fuzz::Input& input) {
  const std::uint8_t choice = input.byte();
  if (choice % 3 == 0) return input.text();
  return std::string(known_spellings[choice % std::size(known_spellings)]) +
         (choice % 2 == 0 ? input.text() : std::string());
}

void check_command_line(fuzz::Input& input) {
  std::vector<std::string> arguments;
  for (int count = input.byte() % 8; count > 0; --count) arguments.push_back(argument_from(input));
  std::vector<const char*> pointers;
  pointers.reserve(arguments.size());
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());

  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(pointers);
  if (!parsed.error.empty()) return;
  const ralu::Options& options = parsed.options;
  check(options.labels.size() <= 2);
  check(options.names.size() <= arguments.size());
  check(options.look.tabsize > 0 && options.side_by_side.width > 0);
  // A word report is read only where it can be written: the unified form,
  // lines as they are.
  if (options.word_diff.mode != ralu::WordDiffMode::none) {
    check(options.form == ralu::OutputForm::unified && !options.brief &&
          !options.look.expand_tabs && !options.look.initial_tab);
  }
  // A stat form is read only beside what can follow it.
  if (options.stat_form != ralu::StatForm::none) {
    check(!options.brief && !options.report_identical);
    check(!options.form_given || options.form == ralu::OutputForm::unified);
  } else {
    check(!options.form_given && options.stat_limits == ralu::StatLimits());
  }
  if (options.help || options.version) return;
  // Every argument is an operand or one of the words that head a pair
  // compared within directories.
  check(options.names.size() + options.switches.size() == arguments.size());

  pointers.push_back("name");
  const ralu::ParsedCommandLine longer = ralu::parse_command_line(pointers);
  if (!options.from_file && !options.to_file) {
    check(options.names.size() == 2 && longer.error == "two files are needed");
    return;
  }
  check(longer.error.empty());
  ralu::Options expected = options;
  expected.names.emplace_back("name");
  check(longer.options == expected);
}

// Wildcards: any pattern is matched without fault, and a name with every
// byte escaped matches itself alone.
void check_name_pattern(fuzz::Input& input) {
  const std::string pattern = input.text();
  const std::string name = input.text();
  const bool fold = (input.byte() & 1) != 0;
  static_cast<void>(ralu::name_matches(pattern, name, fold));
  std::string escaped;
  for (const char byte : name) {
    escaped += '\\';
    escaped += byte;
  }
  check(ralu::name_matches(escaped, name, fold));
  check(ralu::name_matches(escaped, name + "x", fold) == false);
  check(ralu::name_matches("*", name, fold));
}

ralu::LineMatching matching_from(std::uint8_t bits) {
  ralu::LineMatching matching;
  matching.ignore_case = (bits & 1) != 0;
  matching.ignore_tab_expansion = (bits & 2) != 0;
  matching.ignore_trailing_space = (bits & 4) != 0;
  matching.ignore_space_change = (bits & 8) != 0;
  matching.ignore_all_space = (bits & 16) != 0;
  return matching;
}

std::string key_of(std::string_view line, const ralu::LineMatching& matching) {
  std::string key;
  ralu::append_line_key(line, matching, key);
  return key;
}

bool is_white(char byte) { return white_bytes.find(byte) != std::string_view::npos; }

char lower(char byte) { return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte; }

// The column at which byte `at` of the line starts, tabs expanded.
std::size_t column_at(std::string_view line, std::size_t at) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < at; ++i)
    column = line[i] == '\t' ? column / tab_width * tab_width + tab_width : column + 1;
  return column;
}

// An edit that every active option allows the key to ignore; the line is
// returned unchanged when none applies here.
std::string ignorable_edit(std::string line, const ralu::LineMatching& matching,
                           fuzz::Input& input) {
  const std::size_t at = line.empty() ? 0 : input.byte() % (line.size() + 1);
  const char white = white_bytes[input.byte() % white_bytes.size()];
  switch (input.byte() % 5) {
    case 0:
      if (matching.ignore_case && at < line.size() &&
          std::isalpha(static_cast<unsigned char>(line[at]))) {
        line[at] = static_cast<char>(line[at] ^ 0x20);
      }
      break;
    case 1:
      if (matching.ignore_all_space) line.insert(at, 1, white);
      break;
    case 2:  // more of the white space that is there
      if (matching.ignore_space_change && at < line.size() && is_white(line[at])) {
        line.insert(at, 1, white);
      }
      break;
    case 3:
      if (matching.ignores_white_space()) line.push_back(white);
      break;
    default:  // a tab written out as blanks
      // (Backspaces and carriage returns move the column: see line_keys.)
      if (matching.ignore_tab_expansion && !matching.ignores_white_space() && at < line.size() &&
          line[at] == '\t' && line.find_first_of("\b\r") == std::string::npos) {
        const std::size_t column = column_at(line, at);
        line.replace(at, 1, tab_width - column % tab_width, ' ');
      }
      break;
  }
  return line;
}

// A byte other than white space changed (to one that is not its other case)
// or added.
std::string significant_edit(std::string line, fuzz::Input& input) {
  char byte = static_cast<char>(input.byte());
  if (is_white(byte) || byte == '\n') byte = 'x';
  const std::size_t at = line.empty() ? 0 : input.byte() % (line.size() + 1);
  if (at < line.size() && !is_white(line[at]) && (input.byte() & 1) != 0) {
    if (lower(line[at]) == lower(byte)) byte = lower(byte) == 'x' ? 'y' : 'x';
    line[at] = byte;
  } else {
    line.insert(at, 1, byte);
  }
  return line;
}

void check_line_keys(fuzz::Input& input) {
  const ralu::LineMatching matching = matching_from(input.byte());
  std::string line = input.text();
  std::replace(line.begin(), line.end(), '\n', ' ');
  const std::string key = key_of(line, matching);
  check(key.find('\n') == std::string::npos);
  if (!matching.needs_keys()) check(key == line);

  std::string same = line;
  for (int edits = input.byte() % 4; edits >= 0; --edits)
    same = ignorable_edit(same, matching, input);
  check(key_of(same, matching) == key);
  check(key_of(significant_edit(line, input), matching) != key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t which = input.byte() % 3;
  if (which == 0) {
    check_command_line(input);
  } else if (which == 1) {
    check_line_keys(input);
  } else {
    check_name_pattern(input);
  }
  return 0;
}
