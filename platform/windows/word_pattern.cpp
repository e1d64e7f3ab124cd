// Word patterns with the standard library's extended grammar, as Windows has
// no POSIX regular expressions.
#include "platform/word_pattern.h"

#include <regex>

namespace platform {

namespace {

class StdWordPattern : public WordPattern {
 public:
  explicit StdWordPattern(std::regex compiled) : compiled_(std::move(compiled)) {}

  std::optional<WordMatch> find(std::string_view text, std::size_t from) const override {
    // Searched a line at a time, so that no match runs past a line feed and
    // `^` and `$` match at line feeds.
    while (from < text.size()) {
      std::size_t end = text.find('\n', from);
      if (end == std::string_view::npos) end = text.size();
      std::cmatch match;
      if (std::regex_search(text.data() + from, text.data() + end, match, compiled_)) {
        const auto begin = from + static_cast<std::size_t>(match.position(0));
        return WordMatch{begin, begin + static_cast<std::size_t>(match.length(0))};
      }
      from = end + 1;
    }
    return std::nullopt;
  }

 private:
  std::regex compiled_;
};

}  // namespace

std::unique_ptr<WordPattern> compile_word_pattern(const std::string& pattern, std::string& error) {
  try {
    return std::make_unique<StdWordPattern>(std::regex(pattern, std::regex::extended));
  } catch (const std::regex_error& e) {
    error = e.what();
    return nullptr;
  }
}

}  // namespace platform
