// The inner loop of kevo's comparison: comparing two chunks and, under -t,
// looking for control bytes, which make a file non-text.
#pragma once

#include <cstddef>

namespace kevo {

// 1 for a byte that makes a file non-text: below 0x20, but not tab, line feed,
// form feed or carriage return; else 0. 0x7F and every byte from 0x80 are
// text, so Shift-JIS text is text.
constexpr unsigned char is_control_byte(unsigned char byte) {
  return static_cast<unsigned char>((byte < 0x20) & (byte != 0x09) & (byte != 0x0A) &
                                    (byte != 0x0C) & (byte != 0x0D));
}

struct ChunkScan {
  bool equal = false;          // the two chunks hold the same bytes
  bool first_control = false;  // the first chunk holds a control byte
};

// Compares count bytes of both chunks and looks for a control byte in the
// first, in one pass while the bytes are in cache. A chunk equal to the first
// holds a control byte exactly where the first does; a differing one must be
// looked at on its own (has_control_byte).
ChunkScan compare_and_scan(const unsigned char* first, const unsigned char* second,
                           std::size_t count);

// True when any of the count bytes is a control byte.
bool has_control_byte(const unsigned char* bytes, std::size_t count);

}  // namespace kevo
