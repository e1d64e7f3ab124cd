#include "ralu/lines.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace ralu {

platform::ReadOutcome read_input(const char* name) {
  if (std::strcmp(name, "-") == 0) return platform::read_standard_input();
  return platform::read_whole_file(name);
}

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

// Fills starts with where each line of bytes starts, and the end.
template <class Offset>
void find_line_starts(const std::string& bytes, std::vector<Offset>& starts) {
  // One pass over the bytes, which on large inputs costs more than growing
  // the table would.
  starts.push_back(0);
  for_each_line_feed(bytes, [&](std::size_t at) { starts.push_back(static_cast<Offset>(at + 1)); });
  if (!bytes.empty() && bytes.back() != '\n') starts.push_back(static_cast<Offset>(bytes.size()));
  if (starts.capacity() - starts.size() > starts.size() / 8) starts.shrink_to_fit();
}

}  // namespace

LineTable::LineTable(std::string bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() <= std::numeric_limits<std::uint32_t>::max()) {
    find_line_starts(bytes_, starts_);
    line_count_ = starts_.size() - 1;
  } else {
    find_line_starts(bytes_, wide_starts_);
    line_count_ = wide_starts_.size() - 1;
  }
}

}  // namespace ralu
