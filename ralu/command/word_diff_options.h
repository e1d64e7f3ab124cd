// The options of git's word diff (--word-diff, --word-diff-regex,
// --color-words), read apart from diff's own, and what they may not go with.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ralu/formats/word_diff.h"

namespace ralu {

struct Options;

// The values of --word-diff, in the order its mistake lists them.
std::span<const std::string_view> word_diff_choices();

// Whether a long option is one of git's word options, which an abbreviation
// that also fits one of diff's does not stand for.
bool is_git_word_option(std::string_view long_name);

// --word-diff[=MODE]: plain when no mode is given. What is wrong with the
// value, or nothing.
std::string set_word_diff_mode(WordDiffRequest& request, std::string_view written,
                               std::optional<std::string_view> value);

// --word-diff-regex=RE: also a plain word diff, unless a mode is set already.
void set_word_pattern(WordDiffRequest& request, std::string_view pattern);

// --color-words[=RE]: a word diff in colour, with the pattern if given.
void set_colour_words(WordDiffRequest& request, std::optional<std::string_view> pattern);

// What a word diff may not go with among the options set: the forms other
// than unified, -q, and the options that change how a line looks; nothing
// when all is well or no word diff is asked for.
std::string word_diff_mistake(const Options& options);

}  // namespace ralu
