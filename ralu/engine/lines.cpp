#include "ralu/engine/lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

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

// Where the count-th line feed from `from` on ends, which must exist; `from`
// itself when count is 0.
std::size_t past_line_feeds(std::string_view bytes, std::size_t from, std::size_t count) {
  if (count == 0) return from;
  std::size_t at = from;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + at, 8);
      std::uint64_t found = line_feed_bits(word);
      const auto feeds = static_cast<std::size_t>(((found >> 7) * byte_ones) >> 56);
      if (feeds < count) {
        count -= feeds;
        continue;
      }
      for (; count > 1; --count) found &= found - 1;
      return at + static_cast<std::size_t>(std::countr_zero(found)) / 8 + 1;
    }
  }
  for (;; ++at) {
    if (bytes[at] == '\n' && --count == 0) return at + 1;
  }
}

// Fills starts with where each line of bytes starts, and the end.
template <class Offset>
void find_line_starts(std::string_view bytes, LargeArray<Offset>& starts) {
  // The table is made at its size, counted first: counting is much cheaper
  // than copying a growing table of millions of entries.
  starts = LargeArray<Offset>(count_lines(bytes) + 1);
  std::size_t next = 1;
  for_each_line_feed(bytes, [&](std::size_t at) { starts[next++] = static_cast<Offset>(at + 1); });
  if (next < starts.size()) starts[next] = static_cast<Offset>(bytes.size());
}

// Bytes are counted in blocks of this size when lines are skipped: a block
// with fewer line feeds than are left to skip is passed over whole.
constexpr std::size_t skip_block = 4096;

}  // namespace

// The inner loop's sum fits a byte, which lets the compiler count 16 or 32
// bytes an instruction.
std::size_t count_line_feeds(std::string_view bytes) {
  constexpr std::size_t chunk = 255;
  std::size_t count = 0;
  while (!bytes.empty()) {
    const std::size_t length = std::min(bytes.size(), chunk);
    unsigned char feeds = 0;
    for (std::size_t i = 0; i < length; ++i) feeds += bytes[i] == '\n' ? 1 : 0;
    count += feeds;
    bytes.remove_prefix(length);
  }
  return count;
}

std::size_t count_lines(std::string_view bytes) {
  return count_line_feeds(bytes) + (!bytes.empty() && bytes.back() != '\n' ? 1 : 0);
}

void LineCursor::skip_lines(std::size_t count) {
  // Far skips pass over whole blocks that hold fewer line feeds than are left
  // to skip; near ones, and the end of a far one, go a word at a time.
  while (count > skip_block / 256) {
    const std::string_view block = bytes_.substr(offset_, skip_block);
    const std::size_t feeds = count_line_feeds(block);
    if (feeds >= count || block.size() < skip_block) break;
    offset_ += block.size();
    count -= feeds;
  }
  offset_ = past_line_feeds(bytes_, offset_, count);
}

void LineCursor::back_lines(std::size_t count) {
  // Every line before the current one ends in a line feed, just before where
  // the next one starts.
  for (; count > 0; --count) {
    const std::size_t previous_feed = offset_ - 1;
    const std::size_t feed_before =
        previous_feed == 0 ? std::string_view::npos : bytes_.rfind('\n', previous_feed - 1);
    offset_ = feed_before == std::string_view::npos ? 0 : feed_before + 1;
  }
}

std::string_view LineCursor::line(std::size_t number) {
  if (number != number_) {
    // The line after the one read last starts where that one ends.
    if (end_ != 0 && number == number_ + 1) {
      offset_ = end_;
    } else if (number < number_) {
      back_lines(number_ - number);
    } else {
      skip_lines(number - number_);
    }
    number_ = number;
    end_ = 0;
  }
  if (end_ == 0) end_ = std::min(bytes_.find('\n', offset_), bytes_.size() - 1) + 1;
  return bytes_.substr(offset_, end_ - offset_);
}

LineTable::LineTable(std::string_view bytes) : bytes_(bytes) {
  if (bytes_.size() <= std::numeric_limits<std::uint32_t>::max()) {
    find_line_starts(bytes_, starts_);
    line_count_ = starts_.size() - 1;
  } else {
    find_line_starts(bytes_, wide_starts_);
    line_count_ = wide_starts_.size() - 1;
  }
}

}  // namespace ralu
