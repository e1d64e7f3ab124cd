#include "ralu/command/argument_reader.h"

#include <algorithm>
#include <utility>

#include "ralu/command/word_diff_options.h"

namespace ralu {

std::optional<GivenOption> ArgumentReader::next(std::vector<std::string>& names) {
  while (error_.empty()) {
    if (!group_.empty()) return next_in_group();
    if (at_ == arguments_.size()) return std::nullopt;
    const std::string_view argument = arguments_[at_++];
    if (options_ended_ || argument.size() < 2 || argument[0] != '-') {
      names.emplace_back(argument);
      operand_at_.push_back(at_ - 1);
    } else if (argument == "--") {
      options_ended_ = true;
    } else if (argument[1] == '-') {
      return read_long(argument.substr(2));
    } else {
      group_ = argument.substr(1);
    }
  }
  return std::nullopt;
}

std::vector<std::string> ArgumentReader::switches() const {
  std::vector<std::string> switches;
  std::size_t next_operand = 0;
  for (std::size_t i = 0; i < at_; ++i) {
    if (next_operand < operand_at_.size() && operand_at_[next_operand] == i) {
      ++next_operand;
    } else {
      switches.emplace_back(arguments_[i]);
    }
  }
  return switches;
}

// "--name", "--name=value", or "--name value" for an option that needs one.
std::optional<GivenOption> ArgumentReader::read_long(std::string_view text) {
  const std::size_t equals = text.find('=');
  const OptionRow* row = find_long(text.substr(0, equals));
  if (row == nullptr) return std::nullopt;
  GivenOption given{row, "--" + std::string(row->long_name), std::nullopt};
  if (equals != std::string_view::npos) {
    if (row->takes == Takes::nothing) return failed(given.written + ": takes no value");
    given.value = text.substr(equals + 1);
  } else if (row->takes == Takes::value) {
    if (at_ == arguments_.size()) return failed(given.written + ": missing value");
    given.value = arguments_[at_++];
  }
  return given;
}

// The row whose long name `name` spells out, or abbreviates without
// ambiguity; a name spelled out wins over the longer ones it begins.
namespace {

// git's word options stand aside for diff's: an abbreviation that fits one
// of diff's options and one of git's ("--col") is diff's, as it was before
// git's were there.
void leave_out_git_options(std::vector<const OptionRow*>& candidates) {
  const auto is_git = [](const OptionRow* row) { return is_git_word_option(row->long_name); };
  if (std::all_of(candidates.begin(), candidates.end(), is_git)) return;
  std::erase_if(candidates, is_git);
}

}  // namespace

const OptionRow* ArgumentReader::find_long(std::string_view name) {
  std::vector<const OptionRow*> candidates;
  for (const OptionRow& row : rows_) {
    if (row.long_name.empty()) continue;
    if (row.long_name == name) return &row;
    if (row.long_name.starts_with(name)) candidates.push_back(&row);
  }
  if (!name.empty()) leave_out_git_options(candidates);
  if (candidates.size() == 1) return candidates.front();
  const std::string shown = "--" + std::string(name);
  if (candidates.empty() || name.empty()) {
    failed(shown + ": unknown option");
  } else {
    std::string list;
    for (const OptionRow* row : candidates) {
      list += (list.empty() ? "--" : ", --") + std::string(row->long_name);
    }
    failed(shown + ": ambiguous option (" + list + ")");
  }
  return nullptr;
}

// "-abc": letters that take nothing, up to one that takes a value: the rest
// of the argument, or else the next argument.
std::optional<GivenOption> ArgumentReader::next_in_group() {
  const char letter = group_.front();
  group_.remove_prefix(1);
  const std::string written = std::string("-") + letter;
  const auto row = std::find_if(rows_.begin(), rows_.end(),
                                [&](const OptionRow& r) { return r.letter == letter; });
  if (row == rows_.end()) return failed(written + ": unknown option");
  GivenOption given{&*row, written, std::nullopt};
  if (row->takes == Takes::nothing) return given;
  if (!group_.empty()) {
    given.value = group_;
    group_ = {};
  } else if (at_ == arguments_.size()) {
    return failed(written + ": missing value");
  } else {
    given.value = arguments_[at_++];
  }
  return given;
}

std::optional<GivenOption> ArgumentReader::failed(std::string text) {
  if (error_.empty()) error_ = std::move(text);
  return std::nullopt;
}

}  // namespace ralu
