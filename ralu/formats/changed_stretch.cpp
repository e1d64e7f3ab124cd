#include "ralu/formats/changed_stretch.h"

#include <algorithm>

namespace ralu {

namespace {

bool continues_character(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

std::array<Stretch, 2> changed_stretches(std::string_view old_text, std::string_view new_text) {
  const std::size_t shorter = std::min(old_text.size(), new_text.size());
  std::size_t prefix = 0;
  while (prefix < shorter && old_text[prefix] == new_text[prefix]) ++prefix;
  // A character whose first bytes agree is marked whole.
  while (prefix > 0 && prefix < shorter && continues_character(old_text[prefix])) --prefix;
  std::size_t suffix = 0;
  while (suffix < shorter - prefix &&
         old_text[old_text.size() - 1 - suffix] == new_text[new_text.size() - 1 - suffix]) {
    ++suffix;
  }
  // The shared end starts at a character's first byte.
  while (suffix > 0 && continues_character(old_text[old_text.size() - suffix])) --suffix;
  if (prefix + suffix == 0 || old_text == new_text) return {};
  return {Stretch{prefix, old_text.size() - suffix}, Stretch{prefix, new_text.size() - suffix}};
}

}  // namespace ralu
