// Code page 932 text for a terminal on POSIX systems, whose terminals mostly
// speak UTF-8: converted with the C library's iconv when the locale says so.
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <clocale>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace platform {

namespace {

// The character set of the locale that the environment chooses for LC_CTYPE.
// The process's own locale is put back afterwards: nothing else depends on it.
std::string locale_character_set() {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  const std::string saved = current != nullptr ? current : "C";
  std::string character_set;
  if (std::setlocale(LC_CTYPE, "") != nullptr) character_set = ::nl_langinfo(CODESET);
  std::setlocale(LC_CTYPE, saved.c_str());
  return character_set;
}

bool is_utf8(const std::string& character_set) {
  return ::strcasecmp(character_set.c_str(), "UTF-8") == 0 ||
         ::strcasecmp(character_set.c_str(), "UTF8") == 0;
}

// The whole text as UTF-8, or nothing when any of it does not convert.
std::optional<std::string> cp932_to_utf8(std::string_view text) {
  iconv_t converter = ::iconv_open("UTF-8", "CP932");
  if (reinterpret_cast<std::intptr_t>(converter) == -1) return std::nullopt;  // (iconv_t)-1
  // A double-byte character becomes at most 3 bytes, a single byte at most 3.
  std::string converted(text.size() * 3, '\0');
  char* in = const_cast<char*>(text.data());  // iconv's interface; it does not write there
  std::size_t in_left = text.size();
  char* out = converted.data();
  std::size_t out_left = converted.size();
  const std::size_t result = ::iconv(converter, &in, &in_left, &out, &out_left);
  ::iconv_close(converter);
  if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
  converted.resize(converted.size() - out_left);
  return converted;
}

}  // namespace

std::string cp932_for_terminal(std::string_view text) {
  if (!is_utf8(locale_character_set())) return std::string(text);
  return cp932_to_utf8(text).value_or(std::string(text));
}

}  // namespace platform
