#include "ralu/lines.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace ralu {

namespace {

constexpr std::uint64_t byte_ones = 0x0101010101010101ULL;
constexpr std::uint64_t byte_low_bits = 0x7F7F7F7F7F7F7F7FULL;

// The high bit of every byte of `word` that is a line feed, and no other bit.
// Exact, with no carry from one byte into the next.
std::uint64_t line_feed_bits(std::uint64_t word) {
  const std::uint64_t zero_where_line_feed = word ^ (byte_ones * '\n');
  return ~(((zero_where_line_feed & byte_low_bits) + byte_low_bits) | zero_where_line_feed |
           byte_low_bits);
}

// Calls visit(offset) with the offset of every line feed in bytes, in order.
// Inputs are scanned a word at a time: lines are short, and calling memchr
// once a line costs more than the scan itself.
template <class Visit>
void for_each_line_feed(std::string_view bytes, Visit visit) {
  std::size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + at, 8);
      for (std::uint64_t found = line_feed_bits(word); found != 0; found &= found - 1) {
        visit(at + static_cast<std::size_t>(std::countr_zero(found)) / 8);
      }
    }
  }
  for (; at < bytes.size(); ++at) {
    if (bytes[at] == '\n') visit(at);
  }
}

}  // namespace

platform::ReadOutcome read_input(const char* name) {
  if (std::strcmp(name, "-") == 0) return platform::read_standard_input();
  return platform::read_whole_file(name);
}

LineTable::LineTable(std::string bytes) : bytes_(std::move(bytes)) {
  // One pass over the bytes, which on large inputs costs more than growing
  // the table; the table's spare room is given back at the end.
  starts_.push_back(0);
  for_each_line_feed(bytes_, [&](std::size_t offset) { starts_.push_back(offset + 1); });
  if (!bytes_.empty() && bytes_.back() != '\n') starts_.push_back(bytes_.size());
  starts_.shrink_to_fit();
}

}  // namespace ralu
