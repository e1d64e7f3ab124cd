#include "ralu/function_line.h"

#include "ralu/line_keys.h"

namespace ralu {

namespace {

constexpr std::size_t max_shown = 40;

bool starts_like_c_function(std::string_view line) {
  if (line.empty()) return false;
  const char first = line.front();
  return (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_' ||
         first == '$';
}

std::string_view without_line_end(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

}  // namespace

FunctionLineFinder::FunctionLineFinder(const LineTable& old_lines, bool c_function,
                                       std::vector<std::unique_ptr<platform::LinePattern>> patterns)
    : lines_(old_lines), c_function_(c_function), patterns_(std::move(patterns)) {}

std::string_view FunctionLineFinder::before(std::size_t begin) {
  if (begin < searched_) {  // out of order: start over
    searched_ = 0;
    found_.reset();
  }
  for (std::size_t i = begin; i > searched_; --i) {
    if (matches(without_line_end(lines_.line(i - 1)))) {
      found_ = i - 1;
      break;
    }
  }
  searched_ = begin;
  return found_ ? shown(*found_) : std::string_view();
}

bool FunctionLineFinder::matches(std::string_view line) const {
  if (c_function_ && starts_like_c_function(line)) return true;
  for (const auto& pattern : patterns_) {
    if (pattern->matches(line)) return true;
  }
  return false;
}

std::string_view FunctionLineFinder::shown(std::size_t index) const {
  std::string_view text = without_line_end(lines_.line(index)).substr(0, max_shown);
  while (!text.empty() && (is_white_space(text.back()) || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace ralu
