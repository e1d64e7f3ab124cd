#include "ralu/options.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ralu {

namespace {

enum class Id {
  unified_default,  // -u: unified output, the default context
  unified,          // -U NUM, --unified[=NUM]
  minimal,
  ignore_case,
  ignore_tab_expansion,
  ignore_trailing_space,
  ignore_space_change,
  ignore_all_space,
  ignore_blank_lines,
  strip_trailing_cr,
  show_c_function,
  show_function_line,
  label,
  color,
  brief,
  report_identical_files,
  text,
  new_file,
  help,
  version,
};

enum class Takes { nothing, value, optional_value };

struct LongOption {
  std::string_view name;
  Takes takes;
  Id id;
};

struct ShortOption {
  char letter;
  Takes takes;
  Id id;
};

constexpr LongOption long_options[] = {
    {"unified", Takes::optional_value, Id::unified},
    {"minimal", Takes::nothing, Id::minimal},
    {"ignore-case", Takes::nothing, Id::ignore_case},
    {"ignore-tab-expansion", Takes::nothing, Id::ignore_tab_expansion},
    {"ignore-trailing-space", Takes::nothing, Id::ignore_trailing_space},
    {"ignore-space-change", Takes::nothing, Id::ignore_space_change},
    {"ignore-all-space", Takes::nothing, Id::ignore_all_space},
    {"ignore-blank-lines", Takes::nothing, Id::ignore_blank_lines},
    {"strip-trailing-cr", Takes::nothing, Id::strip_trailing_cr},
    {"show-c-function", Takes::nothing, Id::show_c_function},
    {"show-function-line", Takes::value, Id::show_function_line},
    {"label", Takes::value, Id::label},
    {"color", Takes::optional_value, Id::color},
    {"brief", Takes::nothing, Id::brief},
    {"report-identical-files", Takes::nothing, Id::report_identical_files},
    {"text", Takes::nothing, Id::text},
    {"new-file", Takes::nothing, Id::new_file},
    {"help", Takes::nothing, Id::help},
    {"version", Takes::nothing, Id::version},
};

constexpr ShortOption short_options[] = {
    {'u', Takes::nothing, Id::unified_default},
    {'U', Takes::value, Id::unified},
    {'d', Takes::nothing, Id::minimal},
    {'i', Takes::nothing, Id::ignore_case},
    {'E', Takes::nothing, Id::ignore_tab_expansion},
    {'Z', Takes::nothing, Id::ignore_trailing_space},
    {'b', Takes::nothing, Id::ignore_space_change},
    {'w', Takes::nothing, Id::ignore_all_space},
    {'B', Takes::nothing, Id::ignore_blank_lines},
    {'p', Takes::nothing, Id::show_c_function},
    {'F', Takes::value, Id::show_function_line},
    {'q', Takes::nothing, Id::brief},
    {'s', Takes::nothing, Id::report_identical_files},
    {'a', Takes::nothing, Id::text},
    {'N', Takes::nothing, Id::new_file},
};

constexpr std::size_t default_context = 3;
constexpr std::size_t max_labels = 2;

// Reads the command line into options; every method either applies what it
// reads or records the first failure, after which nothing more is read.
class Reader {
 public:
  explicit Reader(std::span<const char* const> arguments) : arguments_(arguments) {}

  ParsedCommandLine read() {
    bool options_ended = false;
    while (at_ < arguments_.size() && error_.empty() && !stop_) {
      const std::string_view argument = arguments_[at_++];
      if (options_ended || argument.size() < 2 || argument[0] != '-') {
        options_.names.emplace_back(argument);
      } else if (argument == "--") {
        options_ended = true;
      } else if (argument[1] == '-') {
        read_long(argument.substr(2));
      } else {
        read_short_group(argument.substr(1));
      }
    }
    options_.context = context_.value_or(default_context);
    return {std::move(options_), std::move(error_)};
  }

 private:
  // "--name", "--name=value", or "--name value" for an option that needs one.
  void read_long(std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const std::string shown = "--" + std::string(name);
    const LongOption* known = find_long(name, shown);
    if (known == nullptr) return;
    const std::string written = "--" + std::string(known->name);
    std::optional<std::string_view> value;
    if (equals != std::string_view::npos) {
      if (known->takes == Takes::nothing) return fail(written + ": takes no value");
      value = text.substr(equals + 1);
    } else if (known->takes == Takes::value) {
      if (at_ == arguments_.size()) return fail(written + ": missing value");
      value = arguments_[at_++];
    }
    apply(known->id, written, value);
  }

  // The long option that `name` spells out, or abbreviates without ambiguity.
  const LongOption* find_long(std::string_view name, const std::string& shown) {
    std::vector<const LongOption*> candidates;
    for (const LongOption& known : long_options) {
      if (known.name == name) return &known;
      if (known.name.starts_with(name)) candidates.push_back(&known);
    }
    if (candidates.size() == 1) return candidates.front();
    if (candidates.empty() || name.empty()) {
      fail(shown + ": unknown option");
    } else {
      std::string list;
      for (const LongOption* known : candidates) {
        list += (list.empty() ? "--" : ", --") + std::string(known->name);
      }
      fail(shown + ": ambiguous option (" + list + ")");
    }
    return nullptr;
  }

  // "-abc": letters that take nothing, up to one that takes a value: the rest
  // of the argument, or else the next argument.
  void read_short_group(std::string_view letters) {
    for (std::size_t i = 0; i < letters.size() && error_.empty() && !stop_; ++i) {
      const std::string written = std::string("-") + letters[i];
      const auto known = std::find_if(std::begin(short_options), std::end(short_options),
                                      [&](const ShortOption& s) { return s.letter == letters[i]; });
      if (known == std::end(short_options)) return fail(written + ": unknown option");
      if (known->takes == Takes::nothing) {
        apply(known->id, written, std::nullopt);
        continue;
      }
      if (i + 1 < letters.size()) return apply(known->id, written, letters.substr(i + 1));
      if (at_ == arguments_.size()) return fail(written + ": missing value");
      return apply(known->id, written, arguments_[at_++]);
    }
  }

  void apply(Id id, const std::string& written, std::optional<std::string_view> value) {
    LineMatching& matching = options_.matching;
    switch (id) {
      case Id::unified_default:
        raise_context(default_context);
        break;
      case Id::unified:
        if (!value) {
          raise_context(default_context);
        } else if (const std::optional<std::size_t> lines = parse_context(*value)) {
          raise_context(*lines);
        } else {
          fail(written + ": invalid context length '" + std::string(*value) + "'");
        }
        break;
      case Id::minimal:
        options_.minimal = true;
        break;
      case Id::ignore_case:
        matching.ignore_case = true;
        break;
      case Id::ignore_tab_expansion:
        matching.ignore_tab_expansion = true;
        break;
      case Id::ignore_trailing_space:
        matching.ignore_trailing_space = true;
        break;
      case Id::ignore_space_change:
        matching.ignore_space_change = true;
        break;
      case Id::ignore_all_space:
        matching.ignore_all_space = true;
        break;
      case Id::strip_trailing_cr:
        matching.strip_trailing_cr = true;
        break;
      case Id::ignore_blank_lines:
        options_.ignore_blank_lines = true;
        break;
      case Id::show_c_function:
        options_.show_c_function = true;
        break;
      case Id::show_function_line:
        options_.function_patterns.emplace_back(*value);
        break;
      case Id::label:
        if (options_.labels.size() == max_labels) return fail(written + ": given more than twice");
        options_.labels.emplace_back(*value);
        break;
      case Id::color:
        apply_color(written, value);
        break;
      case Id::brief:
        options_.brief = true;
        break;
      case Id::report_identical_files:
        options_.report_identical = true;
        break;
      case Id::text:
        options_.text = true;
        break;
      case Id::new_file:
        options_.new_file = true;
        break;
      case Id::help:
        options_.help = true;
        stop_ = true;
        break;
      case Id::version:
        options_.version = true;
        stop_ = true;
        break;
    }
  }

  // Without a value colour is used only on a terminal; a value must be
  // spelled out in full.
  void apply_color(const std::string& written, std::optional<std::string_view> value) {
    if (!value || *value == "auto") {
      options_.color = ColorWhen::automatic;
    } else if (*value == "always") {
      options_.color = ColorWhen::always;
    } else if (*value == "never") {
      options_.color = ColorWhen::never;
    } else {
      fail(written + ": invalid choice '" + std::string(*value) + "' (never, auto, always)");
    }
  }

  // Several context lengths make the largest count; -u counts as 3.
  void raise_context(std::size_t lines) { context_ = std::max(context_.value_or(0), lines); }

  // Decimal digits, after optional blanks and a plus sign. Lengths beyond any
  // input are cut down to what fits, since they all mean "every line".
  static std::optional<std::size_t> parse_context(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
    text = first == std::string_view::npos ? std::string_view() : text.substr(first);
    if (text.starts_with('+')) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::size_t value = 0;
    for (const char digit : text) {
      if (digit < '0' || digit > '9') return std::nullopt;
      const std::size_t next = value * 10 + static_cast<std::size_t>(digit - '0');
      value = next / 10 == value ? next : SIZE_MAX;
    }
    return value;
  }

  void fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
  }

  std::span<const char* const> arguments_;
  std::size_t at_ = 0;
  Options options_;
  std::optional<std::size_t> context_;
  std::string error_;
  bool stop_ = false;
};

}  // namespace

ParsedCommandLine parse_command_line(std::span<const char* const> arguments) {
  return Reader(arguments).read();
}

}  // namespace ralu
