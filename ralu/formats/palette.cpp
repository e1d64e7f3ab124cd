#include "ralu/formats/palette.h"

#include <cstddef>
#include <utility>

namespace ralu {

namespace {

constexpr std::string_view unparsable = "unparsable value for --palette";

bool is_octal(char c) { return c >= '0' && c <= '7'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char escaped(char c) {
  switch (c) {
    case 'a':
      return '\a';
    case 'b':
      return '\b';
    case 'e':
      return '\x1b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case '?':
      return '\x7f';
    case '_':
      return ' ';
    default:
      return c;
  }
}

// Reads one value from `at` up to the colon that ends it, escapes turned
// into their bytes; nothing where the value ends inside an escape. Numbers
// take every digit that follows and keep their lowest byte; `\x` without a
// digit is a NUL byte.
std::optional<std::string> read_value(std::string_view text, std::size_t& at) {
  std::string value;
  while (at < text.size() && text[at] != ':') {
    const char c = text[at++];
    if (c == '^') {
      if (at == text.size()) return std::nullopt;
      const char next = text[at];
      if (next == '?') {
        // The question mark stays to be read as itself after the DEL.
        value += '\x7f';
      } else {
        value += static_cast<char>(next & 0x1f);
        ++at;
      }
    } else if (c == '\\') {
      if (at == text.size()) return std::nullopt;
      const char next = text[at++];
      if (is_octal(next)) {
        unsigned number = static_cast<unsigned>(next - '0');
        while (at < text.size() && is_octal(text[at])) {
          number = number * 8 + static_cast<unsigned>(text[at++] - '0');
        }
        value += static_cast<char>(number & 0xffU);
      } else if (next == 'x') {
        unsigned number = 0;
        while (at < text.size() && hex_value(text[at]) >= 0) {
          number = number * 16 + static_cast<unsigned>(hex_value(text[at++]));
        }
        value += static_cast<char>(number & 0xffU);
      } else {
        value += escaped(next);
      }
    } else {
      value += c;
    }
  }
  return value;
}

// The code a key names; nothing for a key the palette does not know.
std::string* code_of(PaletteCodes& codes, std::string_view key, std::string& unused) {
  if (key == "lc") return &codes.start;
  if (key == "rc") return &codes.end;
  if (key == "hd") return &codes.header;
  if (key == "ln") return &codes.hunk;
  if (key == "de") return &codes.deleted;
  if (key == "ad") return &codes.inserted;
  if (key == "rs") return &codes.reset;
  // The end code is known but no report uses it.
  if (key == "ec") return &unused;
  return nullptr;
}

}  // namespace

ColourScheme::ColourScheme(const PaletteCodes& codes)
    : header_(codes.start + codes.header + codes.end),
      hunk_(codes.start + codes.hunk + codes.end),
      deleted_(codes.start + codes.deleted + codes.end),
      inserted_(codes.start + codes.inserted + codes.end),
      reset_(codes.start + codes.reset + codes.end),
      palette_{header_, hunk_, deleted_, inserted_, reset_} {}

PaletteReading read_palette(std::string_view value) {
  PaletteReading reading;
  PaletteCodes codes;
  std::string unused;
  std::size_t at = 0;
  const auto fail = [&](std::vector<std::string> lines) {
    reading.trouble = std::move(lines);
    return std::move(reading);
  };
  while (at < value.size()) {
    if (value[at] == ':') {  // an empty entry says nothing
      ++at;
      continue;
    }
    const std::size_t equals = value.find('=', at);
    const std::size_t colon = value.find(':', at);
    // Every key is two letters long.
    if (equals == std::string_view::npos || equals > colon || equals - at != 2) {
      return fail({std::string(unparsable)});
    }
    const std::string_view key = value.substr(at, equals - at);
    std::string* code = code_of(codes, key, unused);
    at = equals + 1;
    std::optional<std::string> read = read_value(value, at);
    if (code == nullptr || !read) {
      return fail({"unrecognized prefix: " + std::string(key), std::string(unparsable)});
    }
    *code = std::move(*read);
  }
  reading.codes = std::move(codes);
  return reading;
}

}  // namespace ralu
