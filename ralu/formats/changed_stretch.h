// Where two lines of a changed pair differ: what is left between the bytes
// they share at the start and at the end. Under --highlight-changes the
// coloured forms show that stretch in reverse video, so that a changed word
// in a long line stands out.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace ralu {

// Bytes [begin, end) of a line's text.
struct Stretch {
  std::size_t begin = 0;
  std::size_t end = 0;

  bool operator==(const Stretch&) const = default;
};

// Reverse video on and off: the line's own colour stays on around them.
inline constexpr std::string_view stretch_on = "\x1b[7m";
inline constexpr std::string_view stretch_off = "\x1b[27m";

// The stretches of the old and the new text (without line feeds) that
// differ. Nothing is marked (both empty at 0) when the texts share nothing
// at either end, where marking the whole line would tell nothing, or are
// equal. The shared ends never split a UTF-8 character.
std::array<Stretch, 2> changed_stretches(std::string_view old_text, std::string_view new_text);

}  // namespace ralu
