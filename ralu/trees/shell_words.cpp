#include "ralu/trees/shell_words.h"

namespace ralu {

namespace {

// Bytes the shell reads as more than themselves anywhere in a word.
constexpr std::string_view special_anywhere = "\t\n !\"$&'()*;<=>?[\\^`|";

// Bytes that mean something inside double quotes, or that a reader could not
// see there.
bool unsafe_in_double_quotes(char byte) {
  return std::string_view("\"$\\`!").find(byte) != std::string_view::npos ||
         static_cast<unsigned char>(byte) < 0x20 || byte == 0x7f;
}

bool needs_quotes(std::string_view word) {
  if (word.empty() || word == "{" || word == "}") return true;
  if (word.front() == '#' || word.front() == '~') return true;
  return word.find_first_of(special_anywhere) != std::string_view::npos;
}

}  // namespace

std::string shell_quoted(std::string_view word) {
  if (!needs_quotes(word)) return std::string(word);
  const bool has_single_quote = word.find('\'') != std::string_view::npos;
  bool double_quotes_do = has_single_quote;
  for (const char byte : word)
    double_quotes_do = double_quotes_do && !unsafe_in_double_quotes(byte);
  if (double_quotes_do) return "\"" + std::string(word) + "\"";
  std::string quoted = "'";
  for (const char byte : word) {
    if (byte == '\'') {
      quoted += "'\\''";
    } else {
      quoted += byte;
    }
  }
  return quoted + "'";
}

}  // namespace ralu
