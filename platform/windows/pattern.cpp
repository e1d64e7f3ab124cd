// Line patterns with the standard library's basic regular expressions.
#include "platform/pattern.h"

#include <regex>

namespace platform {

namespace {

class StandardPattern : public LinePattern {
 public:
  explicit StandardPattern(std::regex compiled) : compiled_(std::move(compiled)) {}

  bool matches(std::string_view line) const override {
    return std::regex_search(line.begin(), line.end(), compiled_);
  }

 private:
  std::regex compiled_;
};

}  // namespace

std::unique_ptr<LinePattern> compile_line_pattern(const std::string& pattern, std::string& error) {
  try {
    return std::make_unique<StandardPattern>(
        std::regex(pattern, std::regex::basic | std::regex::nosubs));
  } catch (const std::regex_error& failure) {
    error = failure.what();
    return nullptr;
  }
}

}  // namespace platform
