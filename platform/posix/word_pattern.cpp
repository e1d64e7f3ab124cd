// Word patterns with the C library's extended regular expressions.
#include "platform/word_pattern.h"

#include <regex.h>

namespace platform {

namespace {

class PosixWordPattern : public WordPattern {
 public:
  explicit PosixWordPattern(const regex_t& compiled) : compiled_(compiled) {}
  ~PosixWordPattern() override { ::regfree(&compiled_); }
  PosixWordPattern(const PosixWordPattern&) = delete;
  PosixWordPattern& operator=(const PosixWordPattern&) = delete;

  std::optional<WordMatch> find(std::string_view text, std::size_t from) const override {
    // REG_STARTEND bounds the tail by offsets: it needs no NUL at its end and
    // may hold NUL bytes.
    const std::string_view tail = text.substr(from);
    regmatch_t match{0, static_cast<regoff_t>(tail.size())};
    if (::regexec(&compiled_, tail.data(), 1, &match, REG_STARTEND) != 0) return std::nullopt;
    return WordMatch{from + static_cast<std::size_t>(match.rm_so),
                     from + static_cast<std::size_t>(match.rm_eo)};
  }

 private:
  regex_t compiled_;
};

}  // namespace

std::unique_ptr<WordPattern> compile_word_pattern(const std::string& pattern, std::string& error) {
  regex_t compiled{};
  if (const int code = ::regcomp(&compiled, pattern.c_str(), REG_EXTENDED | REG_NEWLINE);
      code != 0) {
    char reason[256];
    ::regerror(code, &compiled, reason, sizeof reason);
    error = reason;
    return nullptr;
  }
  return std::make_unique<PosixWordPattern>(compiled);
}

}  // namespace platform
