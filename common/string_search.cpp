// Searching byte strings: by units where a trail byte could be mistaken for
// the byte sought, by plain bytes where it never can.
#include <cstring>

#include "common/common.h"
#include "common/shift_jis.h"

namespace common {

using shift_jis::byte_of;
using shift_jis::low_byte;
using shift_jis::scan_units;
using shift_jis::scanning_unit_length;

namespace {

// True when pattern's bytes follow from `at` on. A mismatch at text's
// terminator ends the comparison, so nothing past it is read.
bool occurs_at(const char* at, const char* pattern) {
  for (; *pattern != '\0'; ++at, ++pattern) {
    if (*at != *pattern) return false;
  }
  return true;
}

bool is_blank_or_tab(char byte) { return byte == ' ' || byte == '\t'; }

}  // namespace

const char* Strchr(const char* text, int ch) {
  const unsigned char wanted = low_byte(ch);
  return scan_units(text, [wanted](const char* at) { return byte_of(*at) == wanted; });
}

// Unit boundaries are known only from the start, so the whole string is walked
// forwards and the last match kept.
const char* Strrchr(const char* text, int ch) {
  const unsigned char wanted = low_byte(ch);
  const char* last = nullptr;
  scan_units(text, [wanted, &last](const char* at) {
    if (byte_of(*at) == wanted) last = at;
    return false;
  });
  return last;
}

const char* index(const char* text, int ch) {
  const unsigned char wanted = low_byte(ch);
  for (const char* at = text; *at != '\0'; ++at) {
    if (byte_of(*at) == wanted) return at;
  }
  return nullptr;
}

const char* rindex(const char* text, int ch) {
  const unsigned char wanted = low_byte(ch);
  for (const char* at = text + std::strlen(text); at != text;) {
    --at;
    if (byte_of(*at) == wanted) return at;
  }
  return nullptr;
}

const char* index1(const char* text, const char* pattern) {
  for (const char* at = text; *at != '\0'; ++at) {
    if (occurs_at(at, pattern)) return at;
  }
  return nullptr;
}

// A lead byte with its trail byte is one unit and never matches; a lead byte
// right before the terminator is a single byte and may.
const char* index2(const char* text, const char* set) {
  return scan_units(text, [set](const char* at) {
    // *at is never the terminator, so strchr cannot match set's own terminator.
    return scanning_unit_length(at) == 1 && std::strchr(set, *at) != nullptr;
  });
}

const char* srch_wild(const char* text) {
  for (const char* at = text; *at != '\0'; ++at) {
    if (*at == '*' || *at == '?') return at;
  }
  return nullptr;
}

const char* sp_skip(const char* text) {
  const char* at = text;
  while (is_blank_or_tab(*at)) ++at;
  return at;
}

const char* chr_skip(const char* text) {
  const char* at = text;
  while (*at != '\0' && !is_blank_or_tab(*at)) ++at;
  return at;
}

}  // namespace common
