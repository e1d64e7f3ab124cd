#include "ralu/trees/name_pattern.h"

#include <cstddef>
#include <optional>

namespace ralu {

namespace {

char folded(char byte, bool fold_case) {
  return fold_case && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// A bracket expression starting at pattern[at] (just past the "["), tried on
// `byte`: whether it matched and where the pattern goes on; nothing when the
// bracket is never closed, and so stands for itself.
struct BracketResult {
  bool matched;
  std::size_t next;
};

std::optional<BracketResult> match_bracket(std::string_view pattern, std::size_t at, char byte,
                                           bool fold_case) {
  bool negated = false;
  if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) {
    negated = true;
    ++at;
  }
  const char wanted = folded(byte, fold_case);
  bool matched = false;
  bool first = true;
  while (at < pattern.size()) {
    char low = pattern[at];
    if (low == ']' && !first) return BracketResult{matched != negated, at + 1};
    first = false;
    if (low == '\\' && at + 1 < pattern.size()) low = pattern[++at];
    ++at;
    char high = low;
    if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
      high = pattern[at + 1];
      if (high == '\\' && at + 2 < pattern.size()) high = pattern[++at + 1];
      at += 2;
    }
    const auto in_range = [&](char c) {
      return static_cast<unsigned char>(folded(low, fold_case)) <= static_cast<unsigned char>(c) &&
             static_cast<unsigned char>(c) <= static_cast<unsigned char>(folded(high, fold_case));
    };
    // A range of capitals also holds the small letters under folding.
    if (in_range(wanted) || in_range(byte)) matched = true;
  }
  return std::nullopt;
}

// Whether one pattern element at pattern[at] takes `byte`; sets `next` to
// the element after it.
bool element_matches(std::string_view pattern, std::size_t at, char byte, bool fold_case,
                     std::size_t& next) {
  const char element = pattern[at];
  if (element == '?') {
    next = at + 1;
    return true;
  }
  if (element == '[') {
    if (const std::optional<BracketResult> bracket =
            match_bracket(pattern, at + 1, byte, fold_case)) {
      next = bracket->next;
      return bracket->matched;
    }
  }
  char literal = element;
  if (element == '\\' && at + 1 < pattern.size()) literal = pattern[++at];
  next = at + 1;
  return folded(literal, fold_case) == folded(byte, fold_case);
}

}  // namespace

bool name_matches(std::string_view pattern, std::string_view name, bool fold_case) {
  // Backtracking to the last star alone is enough: a later star can always
  // take up what an earlier one would have.
  std::size_t p = 0;
  std::size_t n = 0;
  std::optional<std::size_t> star_pattern;  // just past the last star seen
  std::size_t star_name = 0;                // where the name stood when it was seen
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star_pattern = ++p;
      star_name = n;
      continue;
    }
    std::size_t next = 0;
    if (p < pattern.size() && element_matches(pattern, p, name[n], fold_case, next)) {
      p = next;
      ++n;
      continue;
    }
    if (!star_pattern) return false;
    p = *star_pattern;
    n = ++star_name;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace ralu
