#include "ralu/formats/words.h"

namespace ralu {

namespace {

// git's white space between words: not the vertical tab nor the form feed,
// which C's isspace also counts.
bool separates_words(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

void split_at_blanks(std::string_view text, std::vector<Word>& words) {
  std::size_t at = 0;
  while (true) {
    while (at < text.size() && separates_words(text[at])) ++at;
    if (at == text.size()) return;
    const std::size_t begin = at;
    while (at < text.size() && !separates_words(text[at])) ++at;
    words.push_back({begin, at});
  }
}

void split_at_matches(std::string_view text, const platform::WordPattern& pattern,
                      std::vector<Word>& words) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::optional<platform::WordMatch> match = pattern.find(text, at);
    if (!match) return;
    const std::size_t line_end = text.substr(0, match->end).find('\n', match->begin);
    const std::size_t end = line_end == std::string_view::npos ? match->end : line_end;
    if (match->begin >= end) return;
    words.push_back({match->begin, end});
    at = end;
  }
}

}  // namespace

void split_words(std::string_view text, const platform::WordPattern* pattern,
                 std::vector<Word>& words) {
  words.clear();
  if (pattern == nullptr) return split_at_blanks(text, words);
  split_at_matches(text, *pattern, words);
}

}  // namespace ralu
