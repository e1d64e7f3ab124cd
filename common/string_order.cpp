// Ordering and case mapping by the katakana rule.
#include "common/common.h"
#include "common/shift_jis.h"

namespace common {

using shift_jis::byte_of;
using shift_jis::is_half_width_katakana;
using shift_jis::is_katakana_lead;
using shift_jis::katakana_unit_length;

namespace {

constexpr unsigned char first_non_ascii = 0x80;

unsigned char folded(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + 0x20) : byte;
}

// Two bytes below 0x80 that differ after folding: the backslash first, so
// that a directory's entries follow its name directly, then by lower case.
int compare_differing_ascii(unsigned char x, unsigned char y) {
  if (x == '\\') return -1;
  if (y == '\\') return 1;
  return folded(x) < folded(y) ? -1 : 1;
}

// Applies map to every byte below 0x80 that is a unit of its own.
template <class Map>
void map_single_ascii_bytes(char* text, Map map) {
  for (char* at = text; *at != '\0'; at += katakana_unit_length(at)) {
    const unsigned char byte = byte_of(*at);
    if (byte < first_non_ascii) *at = static_cast<char>(map(byte));
  }
}

}  // namespace

// Both strings advance together by the same units, so they stay in step.
int StrCmp(const char* a, const char* b) {
  while (*a != '\0' && *b != '\0') {
    const unsigned char x = byte_of(*a);
    const unsigned char y = byte_of(*b);
    if (x < first_non_ascii || y < first_non_ascii) {
      if (x >= first_non_ascii) return 1;
      if (y >= first_non_ascii) return -1;
      if (folded(x) != folded(y)) return compare_differing_ascii(x, y);
      ++a;
      ++b;
      continue;
    }
    const bool x_katakana = is_half_width_katakana(x);
    if (x_katakana != is_half_width_katakana(y)) return x_katakana ? -1 : 1;
    if (x != y) return x < y ? -1 : 1;
    if (!is_katakana_lead(x)) {
      ++a;
      ++b;
      continue;
    }
    // Equal lead bytes: the trail bytes decide, unfolded, with the terminator
    // lowest, so a string that ends in a lead byte never steps past it.
    const unsigned char trail_x = byte_of(a[1]);
    const unsigned char trail_y = byte_of(b[1]);
    if (trail_x != trail_y) return trail_x < trail_y ? -1 : 1;
    if (trail_x == '\0') return 0;
    a += 2;
    b += 2;
  }
  if (*a != '\0') return 1;
  if (*b != '\0') return -1;
  return 0;
}

int to_upper(char* text) {
  map_single_ascii_bytes(text, [](unsigned char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
  });
  return 0;
}

int to_lower(char* text) {
  map_single_ascii_bytes(text, folded);
  return 0;
}

}  // namespace common
