// Shift-JIS units, for the library's own sources; callers use common/common.h.
//
// A Shift-JIS double-byte character is a lead byte and a trail byte, and the
// trail byte may have the value of an ASCII character such as the backslash.
// Where such a character starts is decided by one of two fixed rules, whatever
// code page the system runs with. Each rule, and the unit scan that the
// searching and editing routines share, is written here once.
#pragma once

#include <cstddef>

namespace common::shift_jis {

// A string's byte as the unsigned value the rules speak of.
constexpr unsigned char byte_of(char byte) { return static_cast<unsigned char>(byte); }

// A character argument takes part by its low 8 bits only.
constexpr unsigned char low_byte(int ch) { return static_cast<unsigned char>(ch & 0xFF); }

// The scanning rule, for routines that look for a separator or a given byte:
// 0x80..0x9F and 0xE0..0xFC lead; 0xA0..0xDF and 0xFD..0xFF stand alone.
constexpr bool is_scanning_lead(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The half-width katakana letters and marks of code page 932.
constexpr bool is_half_width_katakana(unsigned char byte) { return byte >= 0xA1 && byte <= 0xDF; }

// The katakana rule, for ordering and case mapping: every byte of 0x80 and
// above leads except the half-width katakana. Unlike the scanning rule, it
// takes 0xA0 and 0xFD..0xFF for lead bytes.
constexpr bool is_katakana_lead(unsigned char byte) {
  return byte >= 0x80 && !is_half_width_katakana(byte);
}

// A unit is two bytes only when a lead byte has a trail byte after it: a lead
// byte right before the terminator is a single byte, so no walk by units ever
// steps over a terminator.
constexpr std::size_t unit_length(const char* at, bool starts_with_lead) {
  return starts_with_lead && at[1] != '\0' ? 2 : 1;
}

// Length of the unit at `at` under the scanning rule.
constexpr std::size_t scanning_unit_length(const char* at) {
  return unit_length(at, is_scanning_lead(byte_of(*at)));
}

// Length of the unit at `at` under the katakana rule.
constexpr std::size_t katakana_unit_length(const char* at) {
  return unit_length(at, is_katakana_lead(byte_of(*at)));
}

// The unit scan (scanning rule): calls visit(at) at the first byte of every
// unit, in order, up to the terminator. The unit's length is decided after the
// visit, from the byte as the visit left it, so a visit may replace that byte
// (a replaced lead byte frees its trail byte; a new lead byte takes the next
// byte as its trail). Returns the first position at which visit returns true,
// or null when the walk reaches the terminator.
template <class Char, class Visit>
Char* scan_units(Char* text, Visit visit) {
  for (Char* at = text; *at != '\0'; at += scanning_unit_length(at)) {
    if (visit(at)) return at;
  }
  return nullptr;
}

}  // namespace common::shift_jis
