// Extended regular expressions that find words in a text, the kind git's
// --word-diff-regex takes: a match never runs past a line feed, and `^` and
// `$` match at line feeds.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a match lies, as offsets into the text searched.
struct WordMatch {
  std::size_t begin;
  std::size_t end;
};

class WordPattern {
 public:
  virtual ~WordPattern() = default;
  // The first match at or after `from`; the text searched starts at `from`,
  // so `^` matches there, as in a search of that tail alone.
  virtual std::optional<WordMatch> find(std::string_view text, std::size_t from) const = 0;
};

// The compiled pattern, or null with the reason in `error`.
std::unique_ptr<WordPattern> compile_word_pattern(const std::string& pattern, std::string& error);

}  // namespace platform
