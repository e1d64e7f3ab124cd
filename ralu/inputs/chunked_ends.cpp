#include "ralu/inputs/chunked_ends.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "ralu/engine/common_ends.h"
#include "ralu/engine/lines.h"

namespace ralu {

namespace {

// One chunk of each input. Left unfilled until read into: a chunk is written
// whole before it is looked at.
struct ChunkPair {
  explicit ChunkPair(std::size_t length)
      : size(length),
        old_bytes(std::make_unique_for_overwrite<char[]>(length)),
        new_bytes(std::make_unique_for_overwrite<char[]>(length)) {}

  std::size_t size;
  std::unique_ptr<char[]> old_bytes;
  std::unique_ptr<char[]> new_bytes;
};

// The `length` bytes at offset: viewed where the input is in memory (a small
// file is read whole first), else read into the buffer.
std::string_view chunk_of(ByteSource& source, std::uint64_t offset, std::size_t length,
                          char* buffer) {
  if (const auto* memory = dynamic_cast<const MemorySource*>(&source)) {
    return memory->bytes().substr(static_cast<std::size_t>(offset), length);
  }
  source.read(offset, {buffer, length});
  return {buffer, length};
}

// Room for a chunk of inputs of these sizes: no more than the larger holds.
std::size_t chunk_room(std::size_t chunk, std::uint64_t old_size, std::uint64_t new_size) {
  return static_cast<std::size_t>(
      std::max<std::uint64_t>(1, std::min<std::uint64_t>(chunk, std::max(old_size, new_size))));
}

// Whether a line starts at offset `at` of the input.
bool starts_line(ByteSource& source, std::uint64_t at) {
  if (at == 0) return true;
  char before = 0;
  source.read(at - 1, {&before, 1});
  return before == '\n';
}

// The common head: the bytes up to the last line feed of the longest common
// prefix, and how many line feeds they hold.
void find_head(ByteSource& old_source, ByteSource& new_source, ChunkPair& chunks,
               ChunkedEnds& ends) {
  const std::uint64_t shorter = std::min(ends.old_size, ends.new_size);
  std::uint64_t at = 0;
  while (at < shorter) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunks.size, shorter - at));
    const std::string_view old_bytes = chunk_of(old_source, at, length, chunks.old_bytes.get());
    const std::string_view new_bytes = chunk_of(new_source, at, length, chunks.new_bytes.get());
    const std::size_t equal_length = common_prefix(old_bytes, new_bytes);
    const std::string_view equal = old_bytes.substr(0, equal_length);
    ends.head_lines += count_line_feeds(equal);
    if (const std::size_t last_feed = equal.rfind('\n'); last_feed != std::string_view::npos) {
      ends.head_bytes = at + last_feed + 1;
    }
    at += equal_length;
    if (equal_length < length) break;
  }
  ends.identical = at == ends.old_size && at == ends.new_size;
}

// The common tail, looked for after the head only, so that the two never
// overlap: the longest common suffix, cut to start where both inputs start a
// line.
void find_tail(ByteSource& old_source, ByteSource& new_source, ChunkPair& chunks,
               ChunkedEnds& ends) {
  const std::uint64_t limit = std::min(ends.old_size, ends.new_size) - ends.head_bytes;
  std::uint64_t suffix = 0;
  std::optional<std::uint64_t> first_feed;  // the first line feed of the suffix, in the old input
  while (suffix < limit) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunks.size, limit - suffix));
    const std::string_view old_bytes =
        chunk_of(old_source, ends.old_size - suffix - length, length, chunks.old_bytes.get());
    const std::string_view new_bytes =
        chunk_of(new_source, ends.new_size - suffix - length, length, chunks.new_bytes.get());
    const std::size_t equal_length = common_suffix(old_bytes, new_bytes);
    const std::string_view equal = old_bytes.substr(length - equal_length);
    if (const std::size_t feed = equal.find('\n'); feed != std::string_view::npos) {
      first_feed = ends.old_size - suffix - equal_length + feed;
    }
    suffix += equal_length;
    if (equal_length < length) break;
  }
  ends.old_tail_start = ends.old_size - suffix;
  ends.new_tail_start = ends.new_size - suffix;
  if (!starts_line(old_source, ends.old_tail_start) ||
      !starts_line(new_source, ends.new_tail_start)) {
    const std::uint64_t skip = first_feed ? *first_feed + 1 - ends.old_tail_start : suffix;
    ends.old_tail_start += skip;
    ends.new_tail_start += skip;
  }
}

// Where the line starts that lies `lines` lines before the line start `at`,
// or 0 when there are not so many.
std::uint64_t back_lines(ByteSource& source, std::uint64_t at, std::uint64_t lines,
                         std::span<char> buffer) {
  if (lines == 0) return at;
  // The line feed just before `at` ends the first line stepped over; the one
  // before the wanted line is one more.
  std::uint64_t wanted = lines < UINT64_MAX ? lines + 1 : lines;
  while (at > 0) {
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), at));
    const std::string_view bytes = chunk_of(source, at - length, length, buffer.data());
    const std::size_t feeds = count_line_feeds(bytes);
    if (feeds < wanted) {
      wanted -= feeds;
      at -= length;
      continue;
    }
    std::size_t feed = length;
    for (; wanted > 0; --wanted) feed = bytes.rfind('\n', feed - 1);
    return at - length + feed + 1;
  }
  return 0;
}

// Where the line starts that lies `lines` lines after the line start `at`, or
// the end of the input when there are not so many.
std::uint64_t forward_lines(ByteSource& source, std::uint64_t at, std::uint64_t lines,
                            std::span<char> buffer) {
  const std::uint64_t size = source.size();
  while (lines > 0 && at < size) {
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), size - at));
    const std::string_view bytes = chunk_of(source, at, length, buffer.data());
    const std::size_t feeds = count_line_feeds(bytes);
    if (feeds < lines) {
      lines -= feeds;
      at += length;
      continue;
    }
    std::size_t feed = 0;
    for (; lines > 0; --lines) feed = bytes.find('\n', feed) + 1;
    return at + feed;
  }
  return at < size ? at : size;
}

}  // namespace

std::uint64_t line_start_before(ByteSource& source, std::uint64_t at, std::uint64_t lines,
                                std::span<char> buffer) {
  return back_lines(source, at, lines, buffer);
}

void MemorySource::read(std::uint64_t offset, std::span<char> into) {
  std::memcpy(into.data(), bytes_.data() + offset, into.size());
}

ChunkedEnds find_chunked_ends(ByteSource& old_source, ByteSource& new_source, std::size_t chunk) {
  ChunkedEnds ends;
  ends.old_size = old_source.size();
  ends.new_size = new_source.size();
  ChunkPair chunks(chunk_room(chunk, ends.old_size, ends.new_size));
  find_head(old_source, new_source, chunks, ends);
  if (ends.identical) {
    ends.old_tail_start = ends.new_tail_start = ends.head_bytes;
    return ends;
  }
  find_tail(old_source, new_source, chunks, ends);
  return ends;
}

Window widen_middles(ByteSource& old_source, const ChunkedEnds& ends, std::uint64_t lines_before,
                     std::uint64_t lines_after, std::size_t chunk) {
  const std::size_t room = chunk_room(chunk, old_source.size(), 0);
  const auto bytes = std::make_unique_for_overwrite<char[]>(room);
  const std::span<char> buffer(bytes.get(), room);
  Window window;
  window.begin = back_lines(old_source, ends.head_bytes, lines_before, buffer);
  window.first_line = ends.head_lines - std::min(lines_before, ends.head_lines);
  window.old_end = forward_lines(old_source, ends.old_tail_start, lines_after, buffer);
  window.new_end = ends.new_tail_start + (window.old_end - ends.old_tail_start);
  return window;
}

}  // namespace ralu
