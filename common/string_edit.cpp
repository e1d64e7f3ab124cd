// Editing byte strings in place.
#include <cstring>

#include "common/common.h"
#include "common/shift_jis.h"

namespace common {

using shift_jis::byte_of;
using shift_jis::low_byte;

// The scan never visits the terminator, so a search of 0 finds nothing; and
// it steps two bytes only over a non-zero byte, so terminators written here
// do not end it early nor let it pass the original one.
char* ChgChr(char* text, int search, int replacement) {
  const unsigned char from = low_byte(search);
  const char to = static_cast<char>(low_byte(replacement));
  shift_jis::scan_units(text, [from, to](char* at) {
    if (byte_of(*at) == from) *at = to;
    return false;
  });
  return text;
}

int insChar(char* text, int ch) {
  std::memmove(text + 1, text, std::strlen(text) + 1);
  text[0] = static_cast<char>(low_byte(ch));
  return 0;
}

void clear(char* buffer, int ch, int count) {
  if (count > 0) std::memset(buffer, low_byte(ch), static_cast<std::size_t>(count));
}

}  // namespace common
