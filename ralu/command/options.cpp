#include "ralu/command/options.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

namespace ralu {

namespace {

enum class Id {
  unified_default,  // -u: unified output, the default context
  unified,          // -U NUM, --unified[=NUM]
  context_default,  // -c
  context,          // -C NUM, --context[=NUM]
  normal,
  ed,
  rcs,
  side_by_side,
  width,
  left_column,
  suppress_common_lines,
  ifdef,
  line_format,
  old_line_format,
  new_line_format,
  unchanged_line_format,
  old_group_format,
  new_group_format,
  changed_group_format,
  unchanged_group_format,
  expand_tabs,
  initial_tab,
  tabsize,
  minimal,
  speed_large_files,
  horizon_lines,
  ignore_case,
  ignore_tab_expansion,
  ignore_trailing_space,
  ignore_space_change,
  ignore_all_space,
  ignore_blank_lines,
  ignore_matching_lines,
  strip_trailing_cr,
  show_c_function,
  show_function_line,
  label,
  color,
  brief,
  report_identical_files,
  text,
  new_file,
  unidirectional_new_file,
  recursive,
  exclude,
  exclude_from,
  starting_file,
  ignore_file_name_case,
  no_ignore_file_name_case,
  no_dereference,
  from_file,
  to_file,
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
    {"context", Takes::optional_value, Id::context},
    {"normal", Takes::nothing, Id::normal},
    {"ed", Takes::nothing, Id::ed},
    {"rcs", Takes::nothing, Id::rcs},
    {"side-by-side", Takes::nothing, Id::side_by_side},
    {"width", Takes::value, Id::width},
    {"left-column", Takes::nothing, Id::left_column},
    {"suppress-common-lines", Takes::nothing, Id::suppress_common_lines},
    {"ifdef", Takes::value, Id::ifdef},
    {"line-format", Takes::value, Id::line_format},
    {"old-line-format", Takes::value, Id::old_line_format},
    {"new-line-format", Takes::value, Id::new_line_format},
    {"unchanged-line-format", Takes::value, Id::unchanged_line_format},
    {"old-group-format", Takes::value, Id::old_group_format},
    {"new-group-format", Takes::value, Id::new_group_format},
    {"changed-group-format", Takes::value, Id::changed_group_format},
    {"unchanged-group-format", Takes::value, Id::unchanged_group_format},
    {"expand-tabs", Takes::nothing, Id::expand_tabs},
    {"initial-tab", Takes::nothing, Id::initial_tab},
    {"tabsize", Takes::value, Id::tabsize},
    {"minimal", Takes::nothing, Id::minimal},
    {"speed-large-files", Takes::nothing, Id::speed_large_files},
    {"horizon-lines", Takes::value, Id::horizon_lines},
    {"ignore-case", Takes::nothing, Id::ignore_case},
    {"ignore-tab-expansion", Takes::nothing, Id::ignore_tab_expansion},
    {"ignore-trailing-space", Takes::nothing, Id::ignore_trailing_space},
    {"ignore-space-change", Takes::nothing, Id::ignore_space_change},
    {"ignore-all-space", Takes::nothing, Id::ignore_all_space},
    {"ignore-blank-lines", Takes::nothing, Id::ignore_blank_lines},
    {"ignore-matching-lines", Takes::value, Id::ignore_matching_lines},
    {"strip-trailing-cr", Takes::nothing, Id::strip_trailing_cr},
    {"show-c-function", Takes::nothing, Id::show_c_function},
    {"show-function-line", Takes::value, Id::show_function_line},
    {"label", Takes::value, Id::label},
    {"color", Takes::optional_value, Id::color},
    {"brief", Takes::nothing, Id::brief},
    {"report-identical-files", Takes::nothing, Id::report_identical_files},
    {"text", Takes::nothing, Id::text},
    {"new-file", Takes::nothing, Id::new_file},
    {"unidirectional-new-file", Takes::nothing, Id::unidirectional_new_file},
    {"recursive", Takes::nothing, Id::recursive},
    {"exclude", Takes::value, Id::exclude},
    {"exclude-from", Takes::value, Id::exclude_from},
    {"starting-file", Takes::value, Id::starting_file},
    {"ignore-file-name-case", Takes::nothing, Id::ignore_file_name_case},
    {"no-ignore-file-name-case", Takes::nothing, Id::no_ignore_file_name_case},
    {"no-dereference", Takes::nothing, Id::no_dereference},
    {"from-file", Takes::value, Id::from_file},
    {"to-file", Takes::value, Id::to_file},
    {"help", Takes::nothing, Id::help},
    {"version", Takes::nothing, Id::version},
};

constexpr ShortOption short_options[] = {
    {'u', Takes::nothing, Id::unified_default},
    {'U', Takes::value, Id::unified},
    {'c', Takes::nothing, Id::context_default},
    {'C', Takes::value, Id::context},
    {'e', Takes::nothing, Id::ed},
    {'n', Takes::nothing, Id::rcs},
    {'y', Takes::nothing, Id::side_by_side},
    {'W', Takes::value, Id::width},
    {'D', Takes::value, Id::ifdef},
    {'t', Takes::nothing, Id::expand_tabs},
    {'T', Takes::nothing, Id::initial_tab},
    {'d', Takes::nothing, Id::minimal},
    {'H', Takes::nothing, Id::speed_large_files},
    {'i', Takes::nothing, Id::ignore_case},
    {'E', Takes::nothing, Id::ignore_tab_expansion},
    {'Z', Takes::nothing, Id::ignore_trailing_space},
    {'b', Takes::nothing, Id::ignore_space_change},
    {'w', Takes::nothing, Id::ignore_all_space},
    {'B', Takes::nothing, Id::ignore_blank_lines},
    {'I', Takes::value, Id::ignore_matching_lines},
    {'p', Takes::nothing, Id::show_c_function},
    {'F', Takes::value, Id::show_function_line},
    {'q', Takes::nothing, Id::brief},
    {'s', Takes::nothing, Id::report_identical_files},
    {'a', Takes::nothing, Id::text},
    {'N', Takes::nothing, Id::new_file},
    {'r', Takes::nothing, Id::recursive},
    {'P', Takes::nothing, Id::unidirectional_new_file},
    {'x', Takes::value, Id::exclude},
    {'X', Takes::value, Id::exclude_from},
    {'S', Takes::value, Id::starting_file},
};

constexpr std::size_t default_context = 3;
constexpr std::size_t max_labels = 2;

// One option as written: which it is, how it was spelled (for messages), and
// its value when it has one.
struct Given {
  Id id;
  std::string written;
  std::optional<std::string_view> value;
};

// Splits the arguments into options and operands the GNU way, without
// knowing what the options mean.
class ArgumentReader {
 public:
  explicit ArgumentReader(std::span<const char* const> arguments) : arguments_(arguments) {}

  // Reads the next argument (or, in a group of short options, the next
  // letter): appends an operand to `names`, or returns the option read.
  // Returns nothing once the arguments are spent or a mistake was found.
  std::optional<Given> next(std::vector<std::string>& names) {
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

  const std::string& error() const { return error_; }

  // The arguments read so far that were not operands: options, their
  // values and "--", as written and in order.
  std::vector<std::string> switches() const {
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

  void fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
  }

 private:
  // "--name", "--name=value", or "--name value" for an option that needs one.
  std::optional<Given> read_long(std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const LongOption* known = find_long(name);
    if (known == nullptr) return std::nullopt;
    Given given{known->id, "--" + std::string(known->name), std::nullopt};
    if (equals != std::string_view::npos) {
      if (known->takes == Takes::nothing) return failed(given.written + ": takes no value");
      given.value = text.substr(equals + 1);
    } else if (known->takes == Takes::value) {
      if (at_ == arguments_.size()) return failed(given.written + ": missing value");
      given.value = arguments_[at_++];
    }
    return given;
  }

  // The long option that `name` spells out, or abbreviates without ambiguity.
  const LongOption* find_long(std::string_view name) {
    std::vector<const LongOption*> candidates;
    for (const LongOption& known : long_options) {
      if (known.name == name) return &known;
      if (known.name.starts_with(name)) candidates.push_back(&known);
    }
    if (candidates.size() == 1) return candidates.front();
    const std::string shown = "--" + std::string(name);
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
  std::optional<Given> next_in_group() {
    const char letter = group_.front();
    group_.remove_prefix(1);
    const std::string written = std::string("-") + letter;
    const auto known = std::find_if(std::begin(short_options), std::end(short_options),
                                    [&](const ShortOption& s) { return s.letter == letter; });
    if (known == std::end(short_options)) return failed(written + ": unknown option");
    Given given{known->id, written, std::nullopt};
    if (known->takes == Takes::nothing) return given;
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

  std::optional<Given> failed(std::string text) {
    fail(std::move(text));
    return std::nullopt;
  }

  std::span<const char* const> arguments_;
  std::size_t at_ = 0;
  std::string_view group_;  // short options still to read from one argument
  bool options_ended_ = false;
  std::vector<std::size_t> operand_at_;  // where the operands stood, in order
  std::string error_;
};

// Decimal digits, after optional blanks and a plus sign; values beyond what
// fits are cut down to the largest, since they all mean "as many as there
// are". Nothing at all counts as `if_empty`.
std::optional<std::size_t> parse_count(std::string_view text,
                                       std::optional<std::size_t> if_empty = std::nullopt) {
  const std::size_t first = text.find_first_not_of(" \t\n\v\f\r");
  text = first == std::string_view::npos ? std::string_view() : text.substr(first);
  if (text.empty()) return if_empty;
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

// The group formats that -D NAME stands for, in the order old, new, changed,
// unchanged.
std::array<std::string, 4> ifdef_group_formats(std::string_view name) {
  const std::string n(name);
  return {"#ifndef " + n + "\n%<#endif /* ! " + n + " */\n",
          "#ifdef " + n + "\n%>#endif /* " + n + " */\n",
          "#ifndef " + n + "\n%<#else /* " + n + " */\n%>#endif /* " + n + " */\n", "%="};
}

// Applies the options read to Options, checking what no single option can:
// one output form, one value for each format, at most two labels.
class OptionSetter {
 public:
  explicit OptionSetter(ArgumentReader& reader) : reader_(reader) {}

  void apply(const Given& given) {
    if (apply_form(given) || apply_layout(given) || apply_matching(given)) return;
    apply_other(given);
  }

  Options finish(std::vector<std::string> names) {
    options_.form = form_.value_or(OutputForm::unified);
    options_.context = context_.value_or(default_context);
    options_.names = std::move(names);
    return std::move(options_);
  }

  bool stopped() const { return stop_; }

 private:
  // The options that pick the output form and its context.
  bool apply_form(const Given& given) {
    switch (given.id) {
      case Id::unified_default:
        return choose(OutputForm::unified) && raise_context(given, "3");
      case Id::unified:
        return choose(OutputForm::unified) && raise_context(given, given.value.value_or("3"));
      case Id::context_default:
        return choose(OutputForm::context) && raise_context(given, "3");
      case Id::context:
        return choose(OutputForm::context) && raise_context(given, given.value.value_or("3"));
      case Id::normal:
        return choose(OutputForm::normal);
      case Id::ed:
        return choose(OutputForm::ed);
      case Id::rcs:
        return choose(OutputForm::rcs);
      case Id::side_by_side:
        return choose(OutputForm::side_by_side);
      case Id::ifdef:
        return choose(OutputForm::formatted) && set_ifdef(given);
      default:
        return apply_format(given);
    }
  }

  bool apply_format(const Given& given) {
    LineFormats& f = options_.formats;
    switch (given.id) {
      case Id::line_format:
        return choose(OutputForm::formatted) && set_format(f.old_line, given) &&
               set_format(f.new_line, given) && set_format(f.unchanged_line, given);
      case Id::old_line_format:
        return choose(OutputForm::formatted) && set_format(f.old_line, given);
      case Id::new_line_format:
        return choose(OutputForm::formatted) && set_format(f.new_line, given);
      case Id::unchanged_line_format:
        return choose(OutputForm::formatted) && set_format(f.unchanged_line, given);
      case Id::old_group_format:
        return choose(OutputForm::formatted) && set_format(f.old_group, given);
      case Id::new_group_format:
        return choose(OutputForm::formatted) && set_format(f.new_group, given);
      case Id::changed_group_format:
        return choose(OutputForm::formatted) && set_format(f.changed_group, given);
      case Id::unchanged_group_format:
        return choose(OutputForm::formatted) && set_format(f.unchanged_group, given);
      default:
        return false;
    }
  }

  // How lines are laid out: tabs and the side-by-side columns.
  bool apply_layout(const Given& given) {
    switch (given.id) {
      case Id::width:
        return set_positive_once(options_.side_by_side.width, width_given_, given, "width");
      case Id::left_column:
        return options_.side_by_side.left_column = true;
      case Id::suppress_common_lines:
        return options_.side_by_side.suppress_common_lines = true;
      case Id::expand_tabs:
        return options_.look.expand_tabs = true;
      case Id::initial_tab:
        return options_.look.initial_tab = true;
      case Id::tabsize:
        return set_positive_once(options_.look.tabsize, tabsize_given_, given, "tabsize");
      default:
        return false;
    }
  }

  // Which lines match, and which changes are left out.
  bool apply_matching(const Given& given) {
    LineMatching& matching = options_.matching;
    switch (given.id) {
      case Id::ignore_case:
        return matching.ignore_case = true;
      case Id::ignore_tab_expansion:
        return matching.ignore_tab_expansion = true;
      case Id::ignore_trailing_space:
        return matching.ignore_trailing_space = true;
      case Id::ignore_space_change:
        return matching.ignore_space_change = true;
      case Id::ignore_all_space:
        return matching.ignore_all_space = true;
      case Id::strip_trailing_cr:
        return matching.strip_trailing_cr = true;
      case Id::ignore_blank_lines:
        return options_.ignore_blank_lines = true;
      case Id::ignore_matching_lines:
        options_.ignore_patterns.emplace_back(*given.value);
        return true;
      default:
        return false;
    }
  }

  void apply_other(const Given& given) {
    switch (given.id) {
      case Id::minimal:
        options_.minimal = true;
        break;
      case Id::speed_large_files:
        // The search bounds its own cost on any input; nothing to change.
        break;
      case Id::horizon_lines:
        // Lines of the common head and tail are never left out of the
        // search's view, so the count is checked and not needed.
        if (!parse_count(*given.value)) invalid(given, "horizon length");
        break;
      case Id::show_c_function:
        options_.show_c_function = true;
        break;
      case Id::show_function_line:
        options_.function_patterns.emplace_back(*given.value);
        break;
      case Id::label:
        if (options_.labels.size() == max_labels) {
          return reader_.fail(given.written + ": given more than twice");
        }
        options_.labels.emplace_back(*given.value);
        break;
      case Id::color:
        apply_color(given);
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
      case Id::from_file:
        set_file(options_.from_file, given);
        break;
      case Id::to_file:
        set_file(options_.to_file, given);
        break;
      case Id::help:
        options_.help = stop_ = true;
        break;
      case Id::version:
        options_.version = stop_ = true;
        break;
      default:
        apply_tree(given);
        break;
    }
  }

  // How directories are walked.
  void apply_tree(const Given& given) {
    TreeOptions& tree = options_.tree;
    switch (given.id) {
      case Id::unidirectional_new_file:
        tree.unidirectional_new_file = true;
        break;
      case Id::recursive:
        tree.recursive = true;
        break;
      case Id::exclude:
        tree.excludes.emplace_back(*given.value);
        break;
      case Id::exclude_from:
        tree.exclude_files.emplace_back(*given.value);
        break;
      case Id::starting_file:
        tree.starting_file = std::string(*given.value);
        break;
      case Id::ignore_file_name_case:
        tree.ignore_file_name_case = true;
        break;
      case Id::no_ignore_file_name_case:
        tree.ignore_file_name_case = false;
        break;
      case Id::no_dereference:
        tree.no_dereference = true;
        break;
      default:
        break;
    }
  }

  // One output form a run: a second, different one is a mistake.
  bool choose(OutputForm form) {
    if (form_ && *form_ != form) {
      reader_.fail("conflicting output style options");
      return true;
    }
    form_ = form;
    return true;
  }

  // Several context lengths make the largest count; an empty one counts 0.
  bool raise_context(const Given& given, std::string_view value) {
    if (const std::optional<std::size_t> lines = parse_count(value, 0)) {
      context_ = std::max(context_.value_or(0), *lines);
    } else {
      invalid(given, "context length");
    }
    return true;
  }

  bool set_ifdef(const Given& given) {
    const std::array<std::string, 4> formats = ifdef_group_formats(*given.value);
    LineFormats& f = options_.formats;
    for (auto [format, text] : {std::pair{&f.old_group, &formats[0]},
                                {&f.new_group, &formats[1]},
                                {&f.changed_group, &formats[2]},
                                {&f.unchanged_group, &formats[3]}}) {
      if (!set_format(*format, {given.id, given.written, *text})) return true;
    }
    return true;
  }

  // A format may be given again only with the same text.
  bool set_format(std::optional<std::string>& format, const Given& given) {
    if (format && *format != *given.value) {
      reader_.fail("conflicting " + given.written + " option value '" + std::string(*given.value) +
                   "'");
      return false;
    }
    format = std::string(*given.value);
    return true;
  }

  void set_file(std::optional<std::string>& file, const Given& given) {
    if (file && *file != *given.value) {
      return reader_.fail("conflicting " + given.written + " option value '" +
                          std::string(*given.value) + "'");
    }
    file = std::string(*given.value);
  }

  bool set_positive(std::size_t& setting, const Given& given, const char* what) {
    const std::optional<std::size_t> value = parse_count(*given.value);
    if (!value || *value == 0) {
      invalid(given, what);
    } else {
      setting = *value;
    }
    return true;
  }

  // -W and --tabsize may be given again, as in GNU diff, but only with the
  // same value: a second value would leave it unclear which one counts.
  bool set_positive_once(std::size_t& setting, bool& given_before, const Given& given,
                         const char* what) {
    const std::size_t before = setting;
    set_positive(setting, given, what);
    if (given_before && setting != before) {
      reader_.fail("conflicting " + given.written + " option value '" + std::string(*given.value) +
                   "'");
    }
    given_before = true;
    return true;
  }

  void invalid(const Given& given, const char* what) {
    reader_.fail(given.written + ": invalid " + what + " '" + std::string(*given.value) + "'");
  }

  // Without a value colour is used only on a terminal; a value must be
  // spelled out in full.
  void apply_color(const Given& given) {
    const std::optional<std::string_view> value = given.value;
    if (!value || *value == "auto") {
      options_.color = ColorWhen::automatic;
    } else if (*value == "always") {
      options_.color = ColorWhen::always;
    } else if (*value == "never") {
      options_.color = ColorWhen::never;
    } else {
      reader_.fail(given.written + ": invalid choice '" + std::string(*value) +
                   "' (never, auto, always)");
    }
  }

  ArgumentReader& reader_;
  Options options_;
  std::optional<OutputForm> form_;
  std::optional<std::size_t> context_;
  bool width_given_ = false;
  bool tabsize_given_ = false;
  bool stop_ = false;
};

}  // namespace

ParsedCommandLine parse_command_line(std::span<const char* const> arguments) {
  ArgumentReader reader(arguments);
  OptionSetter setter(reader);
  std::vector<std::string> names;
  while (!setter.stopped()) {
    const std::optional<Given> given = reader.next(names);
    if (!given) break;
    setter.apply(*given);
  }
  if (!reader.error().empty()) return {Options(), reader.error()};
  Options options = setter.finish(std::move(names));
  options.switches = reader.switches();
  return {std::move(options), ""};
}

}  // namespace ralu
