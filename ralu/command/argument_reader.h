// Splits ralu's arguments into options and operands the GNU way, knowing of
// each option only how it is spelled and what it takes: options may come
// before, between or after the operands, "--" ends them, a long option may be
// abbreviated while it stays unambiguous, and letters may be grouped
// ("-ubw", "-U2").
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ralu/command/options.h"

namespace ralu {

// One option as written: its row, its spelling for messages ("-U", or the
// long name in full however it was abbreviated), and its value if it has one.
struct GivenOption {
  const OptionRow* row;
  std::string written;
  std::optional<std::string_view> value;
};

class ArgumentReader {
 public:
  // Reads `arguments` against `rows`; both must outlive the reader.
  ArgumentReader(std::span<const char* const> arguments, std::span<const OptionRow> rows)
      : arguments_(arguments), rows_(rows) {}

  // Reads the next argument (or, in a group of letters, the next letter):
  // appends an operand to `names`, or returns the option read. Returns
  // nothing once the arguments are spent or a mistake was found.
  std::optional<GivenOption> next(std::vector<std::string>& names);

  // The first mistake found, or empty.
  const std::string& error() const { return error_; }

  // The arguments read so far that were not operands: options, their
  // values and "--", as written and in order.
  std::vector<std::string> switches() const;

 private:
  std::optional<GivenOption> read_long(std::string_view text);
  const OptionRow* find_long(std::string_view name);
  std::optional<GivenOption> next_in_group();
  std::optional<GivenOption> failed(std::string text);

  std::span<const char* const> arguments_;
  std::span<const OptionRow> rows_;
  std::size_t at_ = 0;
  std::string_view group_;  // letters still to read from one argument
  bool options_ended_ = false;
  std::vector<std::size_t> operand_at_;  // where the operands stood, in order
  std::string error_;
};

}  // namespace ralu
