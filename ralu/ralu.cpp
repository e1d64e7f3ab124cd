// ralu: compares two text files line by line and writes their differences to
// standard output as a unified diff, the form `patch` reads.
//
// Exit status: 0 when the files are equal (nothing is written), 1 when they
// differ, 2 on trouble, with a one-line message on standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/common.h"
#include "platform/platform.h"
#include "ralu/changes.h"
#include "ralu/lines.h"
#include "ralu/unified.h"

namespace common {

const char* cmd_name = "ralu";
const char* const usage[] = {
    "Usage: ralu [OPTION]... FILE1 FILE2",
    "Compares FILE1 and FILE2 line by line and writes their differences to standard output",
    "as a unified diff.",
    "",
    "  -U NUM, --unified=NUM  show NUM lines of context around each change (default 3)",
    "      --minimal          always find a shortest edit script, however long it takes",
    "      --help             print this help and exit",
    "      --version          print the version and exit",
    "",
    "A FILE of '-' is standard input.",
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

constexpr std::size_t default_context = 3;

struct Options {
  std::size_t context = default_context;
  bool minimal = false;
  bool help = false;
  bool version = false;
  std::vector<const char*> names;
};

[[noreturn]] void fail(const char* subject, const char* reason) {
  errmsg("%s: %s: %s\n", common::cmd_name, subject, reason);
  std::exit(exit_trouble);
}

// A context length: decimal digits only. Lengths beyond any input are cut
// down to what fits, since they all mean "every line".
std::size_t parse_context(const char* text) {
  if (*text == '\0') fail(text, "invalid context length");
  std::size_t value = 0;
  for (const char* digit = text; *digit != '\0'; ++digit) {
    if (*digit < '0' || *digit > '9') fail(text, "invalid context length");
    const std::size_t next = value * 10 + static_cast<std::size_t>(*digit - '0');
    value = next / 10 == value ? next : SIZE_MAX;
  }
  return value;
}

enum class LongOption { unified, minimal, help, version };

// The long option that `name` spells out or abbreviates without ambiguity.
std::optional<LongOption> find_long_option(std::string_view name) {
  struct Known {
    std::string_view spelling;
    LongOption option;
  };
  static constexpr Known known[] = {{"unified", LongOption::unified},
                                    {"minimal", LongOption::minimal},
                                    {"help", LongOption::help},
                                    {"version", LongOption::version}};
  std::optional<LongOption> found;
  for (const Known& candidate : known) {
    if (candidate.spelling == name) return candidate.option;
    if (!name.empty() && candidate.spelling.starts_with(name)) {
      if (found) return std::nullopt;
      found = candidate.option;
    }
  }
  return found;
}

// Applies "--name" or "--name=value"; returns how many arguments it used.
int apply_long_option(const char* argument, const char* next, Options& options) {
  const std::string_view text(argument + 2);
  const std::size_t equals = text.find('=');
  const std::string_view name = text.substr(0, equals);
  const std::optional<LongOption> option = find_long_option(name);
  if (!option) fail(argument, "unknown option");
  if (*option == LongOption::unified) {
    if (equals != std::string_view::npos) {
      options.context = parse_context(argument + 2 + equals + 1);
      return 1;
    }
    if (next == nullptr) fail(argument, "missing context length");
    options.context = parse_context(next);
    return 2;
  }
  if (equals != std::string_view::npos) fail(argument, "takes no value");
  switch (*option) {
    case LongOption::minimal:
      options.minimal = true;
      break;
    case LongOption::help:
      options.help = true;
      break;
    case LongOption::version:
      options.version = true;
      break;
    case LongOption::unified:
      break;
  }
  return 1;
}

// Applies "-U NUM" or "-UNUM", the one short option; returns how many
// arguments it used.
int apply_short_option(const char* argument, const char* next, Options& options) {
  if (argument[1] != 'U') fail(argument, "unknown option");
  if (argument[2] != '\0') {
    options.context = parse_context(argument + 2);
    return 1;
  }
  if (next == nullptr) fail(argument, "missing context length");
  options.context = parse_context(next);
  return 2;
}

// Options come first; the first name, "--" or "-" ends them.
Options parse_command_line(int argc, char** argv) {
  Options options;
  int at = 1;
  while (at < argc) {
    const char* argument = argv[at];
    const char* next = at + 1 < argc ? argv[at + 1] : nullptr;
    if (std::strcmp(argument, "--") == 0) {
      ++at;
      break;
    }
    if (argument[0] != '-' || argument[1] == '\0') break;
    at += argument[1] == '-' ? apply_long_option(argument, next, options)
                             : apply_short_option(argument, next, options);
  }
  for (; at < argc; ++at) options.names.push_back(argv[at]);
  return options;
}

[[noreturn]] void exit_after_output(int status) {
  if (std::fflush(stdout) != 0) fail("standard output", std::strerror(errno));
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

// Reads a whole input by name; "-" is standard input.
platform::FileContents load(const char* name) {
  platform::ReadOutcome outcome = std::strcmp(name, "-") == 0 ? platform::read_standard_input()
                                                              : platform::read_whole_file(name);
  if (!outcome.contents) fail(name, outcome.failure.c_str());
  // Only an input of that many bytes can have that many lines.
  if (outcome.contents->bytes.size() > ralu::max_lines &&
      ralu::count_lines(outcome.contents->bytes) > ralu::max_lines) {
    fail(name, "too many lines");
  }
  return std::move(*outcome.contents);
}

// Standard output, remembering the first failure to write.
class StandardOutput : public ralu::OutputSink {
 public:
  void write(std::string_view bytes) override {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && error_ == 0) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  // 0 when everything written reached the system, else an errno value.
  int finish() {
    if (std::fflush(stdout) != 0 && error_ == 0) error_ = errno != 0 ? errno : EIO;
    return error_;
  }

 private:
  int error_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  platform::binary_standard_output();  // the report's lines keep their own ends
  const Options options = parse_command_line(argc, argv);
  if (options.help) print_help();
  if (options.version) print_version();
  if (options.names.size() != 2) {
    errmsg("%s: two files are needed; try '%s --help'\n", common::cmd_name, common::cmd_name);
    return exit_trouble;
  }
  const char* const old_name = options.names[0];
  const char* const new_name = options.names[1];

  platform::FileContents old_file = load(old_name);
  // Standard input can be read only once; named twice, it is one input.
  platform::FileContents new_file =
      std::strcmp(old_name, "-") == 0 && std::strcmp(new_name, "-") == 0 ? old_file
                                                                         : load(new_name);
  if (old_file.bytes == new_file.bytes) return exit_same;

  const ralu::EditScript script =
      ralu::compare_texts(old_file.bytes, new_file.bytes, {options.minimal, std::nullopt});

  StandardOutput out;
  ralu::write_unified(out, {old_name, old_file.modified}, {new_name, new_file.modified},
                      old_file.bytes, new_file.bytes, script, options.context);
  if (const int error = out.finish(); error != 0) fail("standard output", std::strerror(error));
  return exit_different;
}
