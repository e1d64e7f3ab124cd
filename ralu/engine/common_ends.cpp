#include "ralu/engine/common_ends.h"

#include <algorithm>
#include <cstring>

namespace ralu {

namespace {

// Bytes are compared a block at a time with memcmp, which is much faster than
// a loop over single bytes: large blocks, then small ones within the large
// block that holds the first difference, and only the small block that
// holds it byte by byte. Most pairs of a tree are small files that differ
// within their first large block.
constexpr std::size_t compare_block = 4096;
constexpr std::size_t small_block = 64;

bool starts_line(std::string_view text, std::size_t at) { return at == 0 || text[at - 1] == '\n'; }

// Moves a line start back by up to `lines` lines.
std::size_t back_lines(std::string_view text, std::size_t at, std::size_t lines) {
  for (; lines > 0 && at > 0; --lines) {
    const std::size_t feed = at >= 2 ? text.rfind('\n', at - 2) : std::string_view::npos;
    at = feed == std::string_view::npos ? 0 : feed + 1;
  }
  return at;
}

// Moves a line start forward by up to `lines` lines.
std::size_t forward_lines(std::string_view text, std::size_t at, std::size_t lines) {
  for (; lines > 0 && at < text.size(); --lines) {
    const std::size_t feed = text.find('\n', at);
    at = feed == std::string_view::npos ? text.size() : feed + 1;
  }
  return at;
}

}  // namespace

std::size_t common_prefix(std::string_view a, std::string_view b) {
  const std::size_t shorter = std::min(a.size(), b.size());
  std::size_t at = 0;
  for (const std::size_t block : {compare_block, small_block}) {
    while (at < shorter) {
      const std::size_t length = std::min(block, shorter - at);
      if (std::memcmp(a.data() + at, b.data() + at, length) != 0) break;
      at += length;
    }
  }
  while (at < shorter && a[at] == b[at]) ++at;
  return at;
}

std::size_t common_suffix(std::string_view a, std::string_view b) {
  const std::size_t shorter = std::min(a.size(), b.size());
  std::size_t length = 0;
  for (const std::size_t block : {compare_block, small_block}) {
    while (length < shorter) {
      const std::size_t step = std::min(block, shorter - length);
      const std::size_t from = length + step;
      if (std::memcmp(a.data() + a.size() - from, b.data() + b.size() - from, step) != 0) break;
      length = from;
    }
  }
  while (length < shorter && a[a.size() - 1 - length] == b[b.size() - 1 - length]) ++length;
  return length;
}

CommonEnds find_common_ends(std::string_view old_text, std::string_view new_text,
                            std::size_t margin) {
  // The head ends after the last line feed of the common prefix.
  const std::size_t prefix = common_prefix(old_text, new_text);
  const std::size_t last_feed =
      prefix == 0 ? std::string_view::npos : old_text.rfind('\n', prefix - 1);
  std::size_t head = last_feed == std::string_view::npos ? 0 : last_feed + 1;

  // The tail is looked for after the head only, so that the two never
  // overlap; it starts where both inputs start a line.
  const std::size_t suffix = common_suffix(old_text.substr(head), new_text.substr(head));
  std::size_t old_tail = old_text.size() - suffix;
  std::size_t new_tail = new_text.size() - suffix;
  if (!starts_line(old_text, old_tail) || !starts_line(new_text, new_tail)) {
    const std::size_t feed = old_text.find('\n', old_tail);
    const std::size_t skip = feed == std::string_view::npos ? suffix : feed + 1 - old_tail;
    old_tail += skip;
    new_tail += skip;
  }

  // The margin: the tail is the same in both inputs, so moving its start by
  // whole lines keeps it at a line start in both.
  const std::size_t old_given = forward_lines(old_text, old_tail, margin);
  new_tail += old_given - old_tail;
  old_tail = old_given;
  const std::size_t head_lines = static_cast<std::size_t>(
      std::count(old_text.begin(), old_text.begin() + static_cast<std::ptrdiff_t>(head), '\n'));
  const std::size_t given_head = back_lines(old_text, head, margin);
  const std::size_t given_lines = std::min(margin, head_lines);
  head = given_head;
  return {head, head_lines - given_lines, old_tail, new_tail};
}

}  // namespace ralu
