#include "ralu/trees/name_pattern.h"

#include <cstddef>
#include <optional>

namespace ralu {

namespace {

char folded(char byte, bool fold_case) {
  return fold_case && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Whether `byte` is in the POSIX character class `name`, as the C locale has
// it; nothing for a name that is no class.
std::optional<bool> in_class(std::string_view name, unsigned char byte) {
  const bool upper = byte >= 'A' && byte <= 'Z';
  const bool lower = byte >= 'a' && byte <= 'z';
  const bool digit = byte >= '0' && byte <= '9';
  const bool graph = byte > ' ' && byte < 0x7f;
  if (name == "alpha") return upper || lower;
  if (name == "upper") return upper;
  if (name == "lower") return lower;
  if (name == "digit") return digit;
  if (name == "alnum") return upper || lower || digit;
  if (name == "xdigit")
    return digit || (byte >= 'a' && byte <= 'f') || (byte >= 'A' && byte <= 'F');
  if (name == "space") return byte == ' ' || (byte >= '\t' && byte <= '\r');
  if (name == "blank") return byte == ' ' || byte == '\t';
  if (name == "punct") return graph && !upper && !lower && !digit;
  if (name == "graph") return graph;
  if (name == "print") return graph || byte == ' ';
  if (name == "cntrl") return byte < ' ' || byte == 0x7f;
  return std::nullopt;
}

// One member of a bracket expression: a byte (written plainly, after a
// backslash or as "[.c.]"), a class "[:name:]" or an equivalence class
// "[=c=]", which in the C locale holds c alone.
struct Member {
  enum Kind { byte, symbol, equivalent, class_name, invalid } kind;
  char value = 0;
  std::string_view name;  // of a class
  std::size_t next = 0;   // where the pattern goes on
};

Member read_member(std::string_view pattern, std::size_t at) {
  const char c = pattern[at];
  if (c == '[' && at + 1 < pattern.size()) {
    const char mark = pattern[at + 1];
    if (mark == ':' || mark == '=' || mark == '.') {
      const char closing[] = {mark, ']', 0};
      const std::size_t end = pattern.find(closing, at + 2);
      if (end != std::string_view::npos) {
        const std::string_view inside = pattern.substr(at + 2, end - at - 2);
        const std::size_t next = end + 2;
        if (mark == ':') return {Member::class_name, 0, inside, next};
        // "[=ab=]" is no equivalence class, and its "[" is a member of its own.
        if (mark == '=' && inside.size() == 1) return {Member::equivalent, inside[0], {}, next};
        // A collating element of several bytes is none the C locale knows.
        if (mark == '.') {
          if (inside.size() == 1) return {Member::symbol, inside[0], {}, next};
          return {Member::invalid, 0, {}, next};
        }
      }
    }
  }
  if (c == '\\' && at + 1 < pattern.size()) return {Member::byte, pattern[at + 1], {}, at + 2};
  return {Member::byte, c, {}, at + 1};
}

// A bracket expression starting at pattern[at] (just past the "["), tried on
// `byte`: whether it matched and where the pattern goes on; nothing when the
// bracket is never closed, and so stands for itself. A class of no known name
// or an unknown collating element makes the bracket match nothing.
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
  const auto raw = static_cast<unsigned char>(byte);
  bool matched = false;
  bool invalid = false;
  bool first = true;
  while (at < pattern.size()) {
    if (pattern[at] == ']' && !first) {
      return BracketResult{!invalid && matched != negated, at + 1};
    }
    first = false;
    const Member low = read_member(pattern, at);
    at = low.next;
    if (low.kind == Member::invalid) {
      invalid = true;
      continue;
    }
    if (low.kind == Member::class_name) {
      const std::optional<bool> in = in_class(low.name, raw);
      if (!in) invalid = true;
      // Classes test the name's byte as it is, also when case is folded.
      if (in.value_or(false)) matched = true;
      continue;
    }
    if (at + 1 < pattern.size() && pattern[at] == '-' && pattern[at + 1] != ']') {
      // A range ends at a byte or "[.c.]"; any other "[" is a byte there.
      Member high = read_member(pattern, at + 1);
      if (high.kind != Member::byte && high.kind != Member::symbol) {
        high = {Member::byte, '[', {}, at + 2};
      }
      at = high.next;
      const auto in_range = [&](char c) {
        return static_cast<unsigned char>(folded(low.value, fold_case)) <=
                   static_cast<unsigned char>(c) &&
               static_cast<unsigned char>(c) <=
                   static_cast<unsigned char>(folded(high.value, fold_case));
      };
      // A range of capitals also holds the small letters under folding.
      if (in_range(wanted) || in_range(byte)) matched = true;
      continue;
    }
    // A plain byte matches either case under folding; "[=c=]" and "[.c.]" take c alone.
    if (low.kind == Member::byte ? folded(low.value, fold_case) == wanted : low.value == byte) {
      matched = true;
    }
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
