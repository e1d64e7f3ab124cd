#include "ralu/engine/lines.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// Inputs are scanned sixteen bytes (or a word) at a time: lines are short,
// and calling memchr once a line costs more than the scan itself.
template <class Visit>
void for_each_line_feed(std::string_view bytes, Visit visit) {
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i feeds = _mm_set1_epi8('\n');
  for (; at + 16 <= bytes.size(); at += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
    auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds)));
    for (; found != 0; found &= found - 1) {
      visit(at + static_cast<std::size_t>(std::countr_zero(found)));
    }
  }
#endif
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

// How many entries past the last line start fill_line_starts may write.
constexpr std::size_t line_start_slack = 4;

// Writes, from `entry` on, where the line after each line feed of `bytes`
// starts (`first` plus the feed's offset plus one), and gives how many.
// Sixty-four bytes are looked at a round, and its first four line feeds
// written whether it holds that many or not: lines are some dozens of bytes
// long, and a loop that branched on how many feeds each sixteen bytes hold
// would mispredict about once a line. So `entry` must have room for
// line_start_slack entries past the last line start.
template <class Offset>
std::size_t fill_line_starts(std::string_view bytes, std::size_t first, Offset* entry) {
  std::size_t filled = 0;
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i feeds = _mm_set1_epi8('\n');
  const auto feed_bits = [&](std::size_t offset) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + offset));
    return static_cast<std::uint64_t>(
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, feeds))));
  };
  for (; at + 64 <= bytes.size(); at += 64) {
    std::uint64_t found = feed_bits(at) | feed_bits(at + 16) << 16 | feed_bits(at + 32) << 32 |
                          feed_bits(at + 48) << 48;
    // Counted as they are written: a population count is a library call on
    // machines without the instruction.
    std::size_t count = 0;
    const std::size_t start = first + at + 1;
    for (std::size_t k = 0; k < line_start_slack; ++k) {
      entry[filled + k] =
          static_cast<Offset>(start + static_cast<std::size_t>(std::countr_zero(found)));
      count += found != 0 ? 1 : 0;
      found &= found - 1;
    }
    for (; found != 0; ++count, found &= found - 1) {
      entry[filled + count] =
          static_cast<Offset>(start + static_cast<std::size_t>(std::countr_zero(found)));
    }
    filled += count;
  }
#endif
  for_each_line_feed(bytes.substr(at), [&](std::size_t offset) {
    entry[filled++] = static_cast<Offset>(first + at + offset + 1);
  });
  return filled;
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

// The first room for line starts is what the lines of the first block
// project for all of the bytes, and this fraction more: the pages beyond
// the entries filled in are never touched, so room to spare costs address
// space only.
constexpr std::size_t projection_slack_divisor = 4;

// Bytes are counted in blocks of this size when lines are skipped: a block
// with fewer line feeds than are left to skip is passed over whole.
constexpr std::size_t skip_block = 4096;

}  // namespace

// Thirty-two bytes a round where the machine can: each compare gives -1 for
// a line feed, subtracted into byte counters of sixteen lanes, which 255
// rounds cannot overflow; a sum of absolute differences adds the lanes up.
// The rest, and every byte on other machines, a byte-wide sum counts, which
// the compiler vectorises as it can.
std::size_t count_line_feeds(std::string_view bytes) {
  constexpr std::size_t chunk = 255;
  std::size_t count = 0;
#if defined(__SSE2__)
  const __m128i line_feeds = _mm_set1_epi8('\n');
  const __m128i zero = _mm_setzero_si128();
  while (bytes.size() >= 32) {
    // Two blocks a round, each into counters of its own.
    const std::size_t rounds = std::min(bytes.size() / 32, chunk);
    const auto* block = reinterpret_cast<const __m128i*>(bytes.data());
    const __m128i* const end = block + 2 * rounds;
    __m128i lanes = zero;
    __m128i more_lanes = zero;
    for (; block != end; block += 2) {
      lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(_mm_loadu_si128(block), line_feeds));
      more_lanes = _mm_sub_epi8(more_lanes, _mm_cmpeq_epi8(_mm_loadu_si128(block + 1), line_feeds));
    }
    bytes.remove_prefix(32 * rounds);
    const __m128i sums = _mm_add_epi64(_mm_sad_epu8(lanes, zero), _mm_sad_epu8(more_lanes, zero));
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums)));
  }
#endif
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
  if (table_ != nullptr) return table_->line(number);
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

LineTable::LineTable(std::string_view bytes) : LineTable(LineScan(bytes, {}).take_table()) {}

LineTable::LineTable(std::string_view bytes, LargeArray<std::uint32_t> starts,
                     LargeArray<std::size_t> wide_starts)
    : bytes_(bytes), own_starts_(std::move(starts)), own_wide_starts_(std::move(wide_starts)) {
  if (own_wide_starts_.empty()) {
    starts_ = own_starts_.data();
    line_count_ = own_starts_.size() - 1;
  } else {
    wide_starts_ = own_wide_starts_.data();
    line_count_ = own_wide_starts_.size() - 1;
  }
}

LineTable LineTable::lines(std::size_t begin, std::size_t end) const {
  LineTable view;
  view.base_ = base_ + offset(begin);
  view.starts_ = starts_ == nullptr ? nullptr : starts_ + begin;
  view.wide_starts_ = wide_starts_ == nullptr ? nullptr : wide_starts_ + begin;
  view.bytes_ = bytes_.substr(offset(begin), offset(end) - offset(begin));
  view.line_count_ = end - begin;
  return view;
}

LineScan::LineScan(std::string_view bytes, Limits limits)
    : bytes_(bytes),
      limits_(limits),
      wide_(bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
  // Line 0 starts at 0.
  if (wide_) {
    wide_starts_.push_back(0);
  } else {
    starts_.push_back(0);
  }
}

bool LineScan::scan_block() {
  if (end_ != End::scanning) return false;
  const std::string_view block = bytes_.substr(scanned_, LineScan::block_bytes);
  const std::size_t feeds = count_line_feeds(block);
  // A last line without a line feed counts once the bytes end.
  const bool ends_bytes = scanned_ + block.size() == bytes_.size();
  const std::size_t open_line = ends_bytes && !block.empty() && block.back() != '\n' ? 1 : 0;
  if (lines_ + feeds + open_line > limits_.most_lines) {
    end_ = End::too_many_lines;
    return false;
  }
  if (wide_) {
    add_block(block, feeds, wide_starts_);
  } else {
    add_block(block, feeds, starts_);
  }
  if (ends_bytes) finish();
  return end_ == End::scanning;
}

LineScan::End LineScan::scan_all() {
  while (scan_block()) {
  }
  return end_;
}

template <class Offset>
void LineScan::add_block(std::string_view block, std::size_t feeds, LargeArray<Offset>& starts) {
  const std::size_t next = starts.size();
  make_room(next + feeds + 1 + line_start_slack, starts);
  // Made without a value, the new entries are not written twice; the slack
  // past them is written over by the next block, or by the end's entry.
  starts.resize(next + feeds + line_start_slack);
  fill_line_starts(block, scanned_, starts.data() + next);
  starts.resize(next + feeds);
  lines_ += feeds;
  scanned_ += block.size();
}

// Makes room for `entries` entries, and for more: the room is projected from
// the lines found so far per byte, so that the table is seldom copied as it
// grows, and at least half as much again as it had, so that a table whose
// lines grow shorter as it goes is copied only a few times.
template <class Offset>
void LineScan::make_room(std::size_t entries, LargeArray<Offset>& starts) const {
  if (entries <= starts.capacity()) return;
  const std::size_t scanned = std::min(scanned_ + LineScan::block_bytes, bytes_.size());
  // Empty bytes have one entry, the end, and nothing to project from.
  if (scanned == 0) {
    starts.reserve(entries);
    return;
  }
  const double per_byte = static_cast<double>(entries) / static_cast<double>(scanned);
  const auto projected = static_cast<std::size_t>(per_byte * static_cast<double>(bytes_.size()));
  std::size_t room =
      std::max(projected + projected / projection_slack_divisor, starts.capacity() * 3 / 2);
  // No bytes have more lines than bytes, and the table one more entry.
  room = std::max(std::min(room, bytes_.size() + 2), entries);
  starts.reserve(room);
}

void LineScan::finish() {
  end_ = End::whole;
  // A last line without a line feed ends where the bytes do.
  if (bytes_.empty() || bytes_.back() == '\n') return;
  if (wide_) {
    wide_starts_.push_back(bytes_.size());
  } else {
    starts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
  }
}

LineTable LineScan::take_table() {
  if (end_ == End::scanning) scan_all();
  return LineTable(bytes_, std::move(starts_), std::move(wide_starts_));
}

}  // namespace ralu
