// Word patterns with the standard library's extended grammar, as Windows has
// no POSIX regular expressions.
#include "platform/word_pattern.h"

#include <regex>

namespace platform {

namespace {

class StdWordPattern : public WordPattern {
 public:
  StdWordPattern(std::regex compiled, bool names_line_feed)
      : compiled_(std::move(compiled)), names_line_feed_(names_line_feed) {}

  // POSIX searches the whole tail, where `^` and `$` match at line feeds
  // and neither `.` nor a list without a line feed matches one. The
  // standard library's grammar has no such mode, so each line is searched
  // alone, its line feed left out. Only a pattern that holds a line feed
  // itself can match one: for such a pattern the search also takes the
  // line feed in, and a match that takes it runs on as far as it can.
  std::optional<WordMatch> find(std::string_view text, std::size_t from) const override {
    while (from < text.size()) {
      std::size_t end = text.find('\n', from);
      if (end == std::string_view::npos) end = text.size();
      std::optional<WordMatch> found = search(text, from, end, std::regex_constants::match_default);
      if (names_line_feed_ && end < text.size()) {
        const std::optional<WordMatch> with_feed =
            search(text, from, end + 1, std::regex_constants::match_not_eol);
        if (with_feed && (!found || with_feed->begin < found->begin ||
                          (with_feed->begin == found->begin && with_feed->end > found->end))) {
          found = with_feed;
        }
        if (found && found->end == end + 1) found = run_on(text, *found);
      }
      if (found) return found;
      from = end + 1;
    }
    return std::nullopt;
  }

 private:
  std::optional<WordMatch> search(std::string_view text, std::size_t from, std::size_t end,
                                  std::regex_constants::match_flag_type flags) const {
    std::cmatch match;
    if (!std::regex_search(text.data() + from, text.data() + end, match, compiled_, flags)) {
      return std::nullopt;
    }
    const auto begin = from + static_cast<std::size_t>(match.position(0));
    return WordMatch{begin, begin + static_cast<std::size_t>(match.length(0))};
  }

  // The longest match from where `found` begins over the rest of the text.
  WordMatch run_on(std::string_view text, WordMatch found) const {
    std::cmatch match;
    if (std::regex_search(
            text.data() + found.begin, text.data() + text.size(), match, compiled_,
            std::regex_constants::match_continuous | std::regex_constants::match_not_eol)) {
      const std::size_t end = found.begin + static_cast<std::size_t>(match.length(0));
      if (end > found.end) found.end = end;
    }
    return found;
  }

  std::regex compiled_;
  bool names_line_feed_;  // the pattern holds a line feed of its own
};

}  // namespace

std::unique_ptr<WordPattern> compile_word_pattern(const std::string& pattern, std::string& error) {
  try {
    return std::make_unique<StdWordPattern>(std::regex(pattern, std::regex::extended),
                                            pattern.find('\n') != std::string::npos);
  } catch (const std::regex_error& e) {
    error = e.what();
    return nullptr;
  }
}

}  // namespace platform
