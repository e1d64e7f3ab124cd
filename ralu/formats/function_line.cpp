#include "ralu/formats/function_line.h"

namespace ralu {

namespace {

constexpr std::size_t max_shown = 40;

bool starts_like_c_function(std::string_view line) {
  if (line.empty()) return false;
  const char first = line.front();
  return (first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_' ||
         first == '$';
}

}  // namespace

FunctionLineFinder::FunctionLineFinder(
    std::string_view old_text, bool c_function,
    std::span<const std::unique_ptr<platform::LinePattern>> patterns, bool strip_trailing_cr)
    : text_(old_text), cursor_(old_text), matcher_(c_function, patterns, strip_trailing_cr) {}

std::size_t FunctionLineFinder::start_of(std::size_t line) {
  if (line == 0) return 0;
  const std::string_view previous = cursor_.line(line - 1);
  return static_cast<std::size_t>(previous.data() - text_.data()) + previous.size();
}

std::string_view FunctionLineFinder::before(std::size_t input_line) {
  const std::size_t begin = input_line - first_line_;
  if (begin < searched_) {  // out of order: start over
    searched_ = 0;
    searched_end_ = 0;
    found_.reset();
  }
  const std::size_t end = start_of(begin);
  // Each line ends in a line feed just before where the next one starts.
  for (std::size_t at = end; at > searched_end_;) {
    const std::size_t feed = at >= 2 ? text_.rfind('\n', at - 2) : std::string_view::npos;
    const std::size_t start = feed == std::string_view::npos ? 0 : feed + 1;
    const std::string_view line = matcher_.content(text_.substr(start, at - start));
    if (matcher_.matches(line)) {
      found_ = line;
      break;
    }
    at = start;
  }
  searched_ = begin;
  searched_end_ = end;
  if (found_) return FunctionLineMatcher::shown(*found_);
  return before_text_;
}

std::string_view FunctionLineMatcher::content(std::string_view line) const {
  if (line.empty() || line.back() != '\n') return line;
  line.remove_suffix(1);
  if (strip_trailing_cr_ && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool FunctionLineMatcher::matches(std::string_view line) const {
  if (c_function_ && starts_like_c_function(line)) return true;
  for (const auto& pattern : patterns_) {
    if (pattern->matches(line)) return true;
  }
  return false;
}

std::string_view FunctionLineMatcher::shown(std::string_view line) {
  // White space at the start says nothing: diff skips it too.
  while (!line.empty() && is_white_space(line.front())) line.remove_prefix(1);
  std::string_view text = line.substr(0, max_shown);
  while (!text.empty() && (is_white_space(text.back()) || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace ralu
