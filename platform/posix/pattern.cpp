// Line patterns with the C library's regular expressions.
#include "platform/pattern.h"

#include <regex.h>

namespace platform {

namespace {

class PosixPattern : public LinePattern {
 public:
  explicit PosixPattern(const regex_t& compiled) : compiled_(compiled) {}
  ~PosixPattern() override { ::regfree(&compiled_); }
  PosixPattern(const PosixPattern&) = delete;
  PosixPattern& operator=(const PosixPattern&) = delete;

  bool matches(std::string_view line) const override {
    // REG_STARTEND bounds the line by offsets: it needs no NUL at its end and
    // may hold NUL bytes.
    regmatch_t bounds{0, static_cast<regoff_t>(line.size())};
    return ::regexec(&compiled_, line.data(), 1, &bounds, REG_STARTEND) == 0;
  }

 private:
  regex_t compiled_;
};

}  // namespace

std::unique_ptr<LinePattern> compile_line_pattern(const std::string& pattern, std::string& error) {
  regex_t compiled{};
  if (const int code = ::regcomp(&compiled, pattern.c_str(), REG_NOSUB); code != 0) {
    char reason[256];
    ::regerror(code, &compiled, reason, sizeof reason);
    error = reason;
    return nullptr;
  }
  return std::make_unique<PosixPattern>(compiled);
}

}  // namespace platform
