#include "ralu/formats/name_quoting.h"

#include <algorithm>

namespace ralu {

namespace {

bool needs_escape(unsigned char byte) {
  return byte <= ' ' || byte == '"' || byte == '\\' || byte >= 0x80;
}

// The letter of a byte's C escape, or 0 when it has none.
char escape_letter(unsigned char byte) {
  switch (byte) {
    case '\a':
      return 'a';
    case '\b':
      return 'b';
    case '\t':
      return 't';
    case '\n':
      return 'n';
    case '\v':
      return 'v';
    case '\f':
      return 'f';
    case '\r':
      return 'r';
    case '"':
      return '"';
    case '\\':
      return '\\';
    default:
      return 0;
  }
}

}  // namespace

std::string quote_name(std::string_view name) {
  const auto byte_needs_escape = [](char byte) {
    return needs_escape(static_cast<unsigned char>(byte));
  };
  if (std::none_of(name.begin(), name.end(), byte_needs_escape)) return std::string(name);
  std::string quoted = "\"";
  for (const char byte : name) {
    const auto value = static_cast<unsigned char>(byte);
    if (value == ' ' || !needs_escape(value)) {
      quoted.push_back(byte);
    } else if (const char letter = escape_letter(value); letter != 0) {
      quoted.push_back('\\');
      quoted.push_back(letter);
    } else {
      quoted.push_back('\\');
      quoted.push_back(static_cast<char>('0' + (value >> 6)));
      quoted.push_back(static_cast<char>('0' + ((value >> 3) & 7)));
      quoted.push_back(static_cast<char>('0' + (value & 7)));
    }
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace ralu
