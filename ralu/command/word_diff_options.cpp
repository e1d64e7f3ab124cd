#include "ralu/command/word_diff_options.h"

#include "ralu/command/options.h"

namespace ralu {

namespace {

constexpr std::string_view mode_names[] = {"plain", "color", "porcelain", "none"};
constexpr WordDiffMode modes[] = {WordDiffMode::plain, WordDiffMode::color, WordDiffMode::porcelain,
                                  WordDiffMode::none};

// The name of the first option set that a word diff cannot go with.
std::string_view clashing_option(const Options& options) {
  switch (options.form) {
    case OutputForm::unified:
      break;
    case OutputForm::normal:
      return "--normal";
    case OutputForm::context:
      return "--context";
    case OutputForm::ed:
      return "--ed";
    case OutputForm::forward_ed:
      return "--forward-ed";
    case OutputForm::rcs:
      return "--rcs";
    case OutputForm::side_by_side:
      return "--side-by-side";
    case OutputForm::formatted:
      return "--ifdef and the line and group formats";
  }
  if (options.brief) return "--brief";
  if (options.look.expand_tabs) return "--expand-tabs";
  if (options.look.initial_tab) return "--initial-tab";
  if (options.look.suppress_blank_empty) return "--suppress-blank-empty";
  // The word report marks the changed words itself.
  if (options.highlight_changes) return "--highlight-changes";
  return "";
}

}  // namespace

std::span<const std::string_view> word_diff_choices() { return mode_names; }

bool is_git_word_option(std::string_view long_name) {
  return long_name == "word-diff" || long_name == "word-diff-regex" || long_name == "color-words";
}

std::string set_word_diff_mode(WordDiffRequest& request, std::string_view written,
                               std::optional<std::string_view> value) {
  if (!value) {
    request.mode = WordDiffMode::plain;
    return "";
  }
  for (std::size_t i = 0; i < std::size(mode_names); ++i) {
    if (*value == mode_names[i]) {
      request.mode = modes[i];
      return "";
    }
  }
  std::string choices;
  for (const std::string_view name : mode_names) {
    choices += (choices.empty() ? "" : ", ") + std::string(name);
  }
  return std::string(written) + ": invalid choice '" + std::string(*value) + "' (" + choices + ")";
}

void set_word_pattern(WordDiffRequest& request, std::string_view pattern) {
  request.pattern = std::string(pattern);
  if (request.mode == WordDiffMode::none) request.mode = WordDiffMode::plain;
}

void set_colour_words(WordDiffRequest& request, std::optional<std::string_view> pattern) {
  request.mode = WordDiffMode::color;
  if (pattern) request.pattern = std::string(*pattern);
}

std::string word_diff_mistake(const Options& options) {
  if (options.word_diff.mode == WordDiffMode::none) return "";
  const std::string_view clash = clashing_option(options);
  if (clash.empty()) return "";
  return "--word-diff and " + std::string(clash) + " do not go together";
}

}  // namespace ralu
