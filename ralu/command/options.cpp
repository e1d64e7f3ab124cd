#include "ralu/command/options.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "ralu/command/argument_reader.h"
#include "ralu/command/stat_options.h"
#include "ralu/command/word_diff_options.h"

namespace ralu {

namespace {

constexpr std::size_t max_labels = 2;

// The values of --color, in the order its mistake lists them.
constexpr std::string_view color_choices[] = {"never", "auto", "always"};

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

}  // namespace

// Applies the options read to Options, checking what no single option can:
// one output form, one value for each format, at most two labels. The rows
// of the option table call it; the first mistake is kept, and ends the
// reading.
class OptionSetter {
 public:
  Options options;  // as set so far; the form and context are set by finish

  Options finish(std::vector<std::string> names) {
    options.form = form_.value_or(OutputForm::unified);
    // Only a stat form asks: whether a patch follows it.
    options.form_given = form_.has_value() && options.stat_form != StatForm::none;
    // The default form counts as -u: its 3 lines unless a -NUM says otherwise.
    const std::size_t lines = letter_context_.value_or(context_ ? 0 : default_context);
    options.context = std::max(context_.value_or(0), lines);
    options.names = std::move(names);
    return std::move(options);
  }

  const std::string& error() const { return error_; }

  // --help and --version end the reading.
  bool stopped() const { return options.help || options.version; }

  void fail(std::string text) {
    if (error_.empty()) error_ = std::move(text);
  }

  // One output form a run: a second, different one is a mistake.
  void choose(OutputForm form) {
    if (form_ && *form_ != form) return fail("conflicting output style options");
    form_ = form;
  }

  // Unified or context form, with the context given or else the default.
  // Several context lengths make the largest count; an empty one counts 0.
  void choose_with_context(OutputForm form, const GivenOption& given) {
    choose(form);
    const std::optional<std::size_t> lines =
        given.value ? parse_count(*given.value, 0) : default_context;
    if (!lines) return invalid(given, "context length");
    context_ = std::max(context_.value_or(0), *lines);
  }

  // -u and -c: the form, with 3 lines of context unless a -NUM gives them
  // (before or after), however few.
  void choose_with_letter_context(OutputForm form) {
    choose(form);
    if (!letter_context_) letter_context_ = default_context;
  }

  // -NUM: the digits of letters given one after another, also in separate
  // arguments ("-1 -2" is 12), are one number; any other option between
  // starts a new one. The number is the context of -u, -c and the default
  // form, and is no match for a larger -U or -C.
  void add_context_digit(const GivenOption& given) {
    const auto digit = static_cast<std::size_t>(given.row->letter - '0');
    const bool goes_on = previous_ != nullptr && previous_->letter >= '0' &&
                         previous_->letter <= '9' && letter_context_;
    std::size_t value = goes_on ? *letter_context_ : 0;
    value = value > (SIZE_MAX - digit) / 10 ? SIZE_MAX : value * 10 + digit;
    letter_context_ = value;
  }

  ExcludeOption exclude_option(const GivenOption& given) const {
    return {std::string(*given.value), options.tree.ignore_file_name_case};
  }

  // What was read just before the next option.
  void read(const GivenOption& given) { previous_ = given.row; }

  // A format may be given again only with the same text.
  bool set_format(std::optional<std::string>& format, const GivenOption& given,
                  std::string_view text) {
    if (format && *format != text) {
      conflict(given, text);
      return false;
    }
    format = std::string(text);
    return true;
  }

  // The formatted form, and the option's value as `format`.
  void choose_format(std::optional<std::string>& format, const GivenOption& given) {
    choose(OutputForm::formatted);
    set_format(format, given, *given.value);
  }

  void set_ifdef(const GivenOption& given) {
    choose(OutputForm::formatted);
    const std::array<std::string, 4> texts = ifdef_group_formats(*given.value);
    LineFormats& f = options.formats;
    const std::array formats{&f.old_group, &f.new_group, &f.changed_group, &f.unchanged_group};
    for (std::size_t i = 0; i < formats.size(); ++i) {
      if (!set_format(*formats[i], given, texts[i])) return;
    }
  }

  // --from-file and --to-file may be given again only with the same file.
  void set_file(std::optional<std::string>& file, const GivenOption& given) {
    if (file && *file != *given.value) return conflict(given, *given.value);
    file = std::string(*given.value);
  }

  // -W and --tabsize may be given again, as in GNU diff, but only with the
  // same value: a second value would leave it unclear which one counts.
  void set_positive_once(std::size_t& setting, const GivenOption& given, const char* what) {
    const std::size_t before = setting;
    const std::optional<std::size_t> value = parse_count(*given.value);
    if (!value || *value == 0) {
      invalid(given, what);
    } else {
      setting = *value;
    }
    const bool again = std::find(once_.begin(), once_.end(), given.row) != once_.end();
    if (again && setting != before) conflict(given, *given.value);
    once_.push_back(given.row);
  }

  void add_label(const GivenOption& given) {
    if (options.labels.size() == max_labels) return fail(given.written + ": given more than twice");
    options.labels.emplace_back(*given.value);
  }

  // Without a value colour is used only on a terminal; a value must be
  // spelled out in full.
  void set_color(const GivenOption& given) {
    const std::optional<std::string_view> value = given.value;
    if (!value || *value == "auto") {
      options.color = ColorWhen::automatic;
    } else if (*value == "always") {
      options.color = ColorWhen::always;
    } else if (*value == "never") {
      options.color = ColorWhen::never;
    } else {
      std::string choices;
      for (const std::string_view choice : color_choices) {
        choices += (choices.empty() ? "" : ", ") + std::string(choice);
      }
      fail(given.written + ": invalid choice '" + std::string(*value) + "' (" + choices + ")");
    }
  }

  void invalid(const GivenOption& given, const char* what) {
    fail(given.written + ": invalid " + what + " '" + std::string(*given.value) + "'");
  }

 private:
  // A second value for a setting that takes one.
  void conflict(const GivenOption& given, std::string_view value) {
    fail("conflicting " + given.written + " option value '" + std::string(value) + "'");
  }

  std::optional<OutputForm> form_;
  std::optional<std::size_t> context_;         // the largest -U or -C
  std::optional<std::size_t> letter_context_;  // -NUM, or -u's and -c's 3
  const OptionRow* previous_ = nullptr;
  std::vector<const OptionRow*> once_;  // the rows set_positive_once has set
  std::string error_;
};

namespace {

using Set = OptionSetter;
using Given = GivenOption;

void unified(Set& s, const Given& g) { s.choose_with_context(OutputForm::unified, g); }
void context(Set& s, const Given& g) { s.choose_with_context(OutputForm::context, g); }
void context_digit(Set& s, const Given& g) { s.add_context_digit(g); }

void stat(Set& s, const Given& g, StatForm form) {
  if (std::string mistake = read_stat_option(form, g, s.options); !mistake.empty()) {
    s.fail(std::move(mistake));
  }
}

// An option that is accepted and changes nothing: the search bounds its own
// cost on any input (-H).
void accepted(Set&, const Given&) {}
// How far ahead a pair compared a region at a time looks for the end of a
// region; nothing at all counts 0, as in diff.
void horizon(Set& s, const Given& g) {
  const std::optional<std::size_t> lines = parse_count(*g.value, 0);
  if (!lines) return s.invalid(g, "horizon length");
  s.options.horizon_lines = *lines;
}

// Rows in the order of the long names that an ambiguous abbreviation lists;
// -u and -c are --unified and --context without a value, and rows of their
// own because their letters take none.
constexpr OptionRow rows[] = {
    {"", 'u', Takes::nothing,
     [](Set& s, const Given&) { s.choose_with_letter_context(OutputForm::unified); }},
    {"unified", 'U', Takes::optional_value, unified},
    {"", 'c', Takes::nothing,
     [](Set& s, const Given&) { s.choose_with_letter_context(OutputForm::context); }},
    {"context", 'C', Takes::optional_value, context},
    {"normal", 0, Takes::nothing, [](Set& s, const Given&) { s.choose(OutputForm::normal); }},
    {"ed", 'e', Takes::nothing, [](Set& s, const Given&) { s.choose(OutputForm::ed); }},
    {"forward-ed", 'f', Takes::nothing,
     [](Set& s, const Given&) { s.choose(OutputForm::forward_ed); }},
    {"rcs", 'n', Takes::nothing, [](Set& s, const Given&) { s.choose(OutputForm::rcs); }},
    {"side-by-side", 'y', Takes::nothing,
     [](Set& s, const Given&) { s.choose(OutputForm::side_by_side); }},
    {"width", 'W', Takes::value,
     [](Set& s, const Given& g) { s.set_positive_once(s.options.side_by_side.width, g, "width"); }},
    {"suppress-blank-empty", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.look.suppress_blank_empty = true; }},
    {"left-column", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.side_by_side.left_column = true; }},
    {"suppress-common-lines", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.side_by_side.suppress_common_lines = true; }},
    {"ifdef", 'D', Takes::value, [](Set& s, const Given& g) { s.set_ifdef(g); }},
    {"line-format", 0, Takes::value,
     [](Set& s, const Given& g) {
       LineFormats& f = s.options.formats;
       s.choose(OutputForm::formatted);
       if (s.set_format(f.old_line, g, *g.value) && s.set_format(f.new_line, g, *g.value)) {
         s.set_format(f.unchanged_line, g, *g.value);
       }
     }},
    {"old-line-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.old_line, g); }},
    {"new-line-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.new_line, g); }},
    {"unchanged-line-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.unchanged_line, g); }},
    {"old-group-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.old_group, g); }},
    {"new-group-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.new_group, g); }},
    {"changed-group-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.changed_group, g); }},
    {"unchanged-group-format", 0, Takes::value,
     [](Set& s, const Given& g) { s.choose_format(s.options.formats.unchanged_group, g); }},
    {"expand-tabs", 't', Takes::nothing,
     [](Set& s, const Given&) { s.options.look.expand_tabs = true; }},
    {"initial-tab", 'T', Takes::nothing,
     [](Set& s, const Given&) { s.options.look.initial_tab = true; }},
    {"tabsize", 0, Takes::value,
     [](Set& s, const Given& g) { s.set_positive_once(s.options.look.tabsize, g, "tabsize"); }},
    {"minimal", 'd', Takes::nothing, [](Set& s, const Given&) { s.options.minimal = true; }},
    {"speed-large-files", 'H', Takes::nothing, accepted},
    {"horizon-lines", 0, Takes::value, horizon},
    {"ignore-case", 'i', Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.ignore_case = true; }},
    {"ignore-tab-expansion", 'E', Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.ignore_tab_expansion = true; }},
    {"ignore-trailing-space", 'Z', Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.ignore_trailing_space = true; }},
    {"ignore-space-change", 'b', Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.ignore_space_change = true; }},
    {"ignore-all-space", 'w', Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.ignore_all_space = true; }},
    {"ignore-blank-lines", 'B', Takes::nothing,
     [](Set& s, const Given&) { s.options.ignore_blank_lines = true; }},
    {"ignore-matching-lines", 'I', Takes::value,
     [](Set& s, const Given& g) { s.options.ignore_patterns.emplace_back(*g.value); }},
    {"strip-trailing-cr", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.matching.strip_trailing_cr = true; }},
    {"show-c-function", 'p', Takes::nothing,
     [](Set& s, const Given&) { s.options.show_c_function = true; }},
    {"show-function-line", 'F', Takes::value,
     [](Set& s, const Given& g) { s.options.function_patterns.emplace_back(*g.value); }},
    {"label", 'L', Takes::value, [](Set& s, const Given& g) { s.add_label(g); }},
    {"color", 0, Takes::optional_value, [](Set& s, const Given& g) { s.set_color(g); }},
    {"stat", 0, Takes::optional_value, [](Set& s, const Given& g) { stat(s, g, StatForm::stat); }},
    {"numstat", 0, Takes::nothing, [](Set& s, const Given& g) { stat(s, g, StatForm::numstat); }},
    {"shortstat", 0, Takes::nothing,
     [](Set& s, const Given& g) { stat(s, g, StatForm::shortstat); }},
    {"highlight-changes", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.highlight_changes = true; }},
    {"palette", 0, Takes::value,
     [](Set& s, const Given& g) { s.options.palette = std::string(*g.value); }},
    {"word-diff", 0, Takes::optional_value,
     [](Set& s, const Given& g) {
       if (std::string e = set_word_diff_mode(s.options.word_diff, g.written, g.value);
           !e.empty()) {
         s.fail(std::move(e));
       }
     }},
    {"word-diff-regex", 0, Takes::value,
     [](Set& s, const Given& g) { set_word_pattern(s.options.word_diff, *g.value); }},
    {"color-words", 0, Takes::optional_value,
     [](Set& s, const Given& g) { set_colour_words(s.options.word_diff, g.value); }},
    {"brief", 'q', Takes::nothing, [](Set& s, const Given&) { s.options.brief = true; }},
    {"report-identical-files", 's', Takes::nothing,
     [](Set& s, const Given&) { s.options.report_identical = true; }},
    {"text", 'a', Takes::nothing, [](Set& s, const Given&) { s.options.text = true; }},
    {"new-file", 'N', Takes::nothing, [](Set& s, const Given&) { s.options.new_file = true; }},
    {"unidirectional-new-file", 'P', Takes::nothing,
     [](Set& s, const Given&) { s.options.tree.unidirectional_new_file = true; }},
    {"recursive", 'r', Takes::nothing,
     [](Set& s, const Given&) { s.options.tree.recursive = true; }},
    {"exclude", 'x', Takes::value,
     [](Set& s, const Given& g) { s.options.tree.excludes.push_back(s.exclude_option(g)); }},
    {"exclude-from", 'X', Takes::value,
     [](Set& s, const Given& g) { s.options.tree.exclude_files.push_back(s.exclude_option(g)); }},
    {"starting-file", 'S', Takes::value,
     [](Set& s, const Given& g) { s.options.tree.starting_file = std::string(*g.value); }},
    {"ignore-file-name-case", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.tree.ignore_file_name_case = true; }},
    {"no-ignore-file-name-case", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.tree.ignore_file_name_case = false; }},
    {"no-dereference", 0, Takes::nothing,
     [](Set& s, const Given&) { s.options.tree.no_dereference = true; }},
    {"from-file", 0, Takes::value,
     [](Set& s, const Given& g) { s.set_file(s.options.from_file, g); }},
    {"to-file", 0, Takes::value, [](Set& s, const Given& g) { s.set_file(s.options.to_file, g); }},
    {"help", 0, Takes::nothing, [](Set& s, const Given&) { s.options.help = true; }},
    {"version", 'v', Takes::nothing, [](Set& s, const Given&) { s.options.version = true; }},
    {"", '0', Takes::nothing, context_digit},
    {"", '1', Takes::nothing, context_digit},
    {"", '2', Takes::nothing, context_digit},
    {"", '3', Takes::nothing, context_digit},
    {"", '4', Takes::nothing, context_digit},
    {"", '5', Takes::nothing, context_digit},
    {"", '6', Takes::nothing, context_digit},
    {"", '7', Takes::nothing, context_digit},
    {"", '8', Takes::nothing, context_digit},
    {"", '9', Takes::nothing, context_digit},
};

// What the operands lack for a comparison, or nothing; --help and --version
// need none.
std::string operand_mistake(const Options& options) {
  if (options.help || options.version) return "";
  if (options.from_file && options.to_file) return "--from-file and --to-file both given";
  if (!options.from_file && !options.to_file && options.names.size() != 2) {
    return "two files are needed";
  }
  return "";
}

}  // namespace

std::span<const OptionRow> option_table() { return rows; }

std::span<const std::string_view> option_choices(std::string_view long_name) {
  if (long_name == "color") return color_choices;
  if (long_name == "word-diff") return word_diff_choices();
  return {};
}

ParsedCommandLine parse_command_line(std::span<const char* const> arguments) {
  ArgumentReader reader(arguments, option_table());
  OptionSetter setter;
  std::vector<std::string> names;
  while (!setter.stopped() && setter.error().empty()) {
    const std::optional<GivenOption> given = reader.next(names);
    if (!given) break;
    given->row->apply(setter, *given);
    setter.read(*given);
  }
  const std::string& error = reader.error().empty() ? setter.error() : reader.error();
  if (!error.empty()) return {Options(), error};
  Options options = setter.finish(std::move(names));
  options.switches = reader.switches();
  // Mistakes in the options are told first, as they are found first.
  if (std::string mistake = word_diff_mistake(options); !mistake.empty()) {
    return {Options(), std::move(mistake)};
  }
  if (std::string mistake = operand_mistake(options); !mistake.empty()) {
    return {Options(), std::move(mistake)};
  }
  if (std::string mistake = stat_mistake(options); !mistake.empty()) {
    return {Options(), std::move(mistake)};
  }
  return {std::move(options), ""};
}

}  // namespace ralu
