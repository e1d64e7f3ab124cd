#include "ralu/inputs/forward_reading.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "ralu/engine/common_ends.h"
#include "ralu/engine/lines.h"

namespace ralu {

namespace {

// Where the count-th line feed of bytes ends (count >= 1), or npos when it
// holds fewer.
std::size_t past_feeds(std::string_view bytes, std::size_t count) {
  std::size_t at = 0;
  for (; count > 0; --count) {
    const std::size_t feed = bytes.find('\n', at);
    if (feed == std::string_view::npos) return std::string_view::npos;
    at = feed + 1;
  }
  return at;
}

}  // namespace

ForwardReader::ForwardReader(ByteSource& old_source, ByteSource& new_source, std::size_t chunk)
    : sources_{&old_source, &new_source},
      chunk_(chunk),
      old_chunk_(std::make_unique_for_overwrite<char[]>(chunk)),
      new_chunk_(std::make_unique_for_overwrite<char[]>(chunk)) {}

bool ForwardReader::pass_common_lines(std::array<LinePlace, 2>& places) {
  ByteSource& old_source = *sources_[0];
  ByteSource& new_source = *sources_[1];
  // Both inputs move on by as many bytes while they agree.
  std::uint64_t passed = 0;
  std::uint64_t line_start = 0;  // bytes passed up to the start of the current line
  std::uint64_t lines = 0;
  for (;;) {
    const std::uint64_t old_at = places[0].offset + passed;
    const std::uint64_t new_at = places[1].offset + passed;
    const auto length = static_cast<std::size_t>(
        std::min<std::uint64_t>({chunk_, old_source.size() - old_at, new_source.size() - new_at}));
    if (length == 0) {
      if (old_at == old_source.size() && new_at == new_source.size()) return false;
      break;
    }
    const std::string_view old_bytes =
        old_source.pass_over(old_at, length, {old_chunk_.get(), chunk_});
    const std::string_view new_bytes =
        new_source.pass_over(new_at, length, {new_chunk_.get(), chunk_});
    const std::size_t equal_length = common_prefix(old_bytes, new_bytes);
    const std::string_view equal = old_bytes.substr(0, equal_length);
    lines += count_line_feeds(equal);
    if (const std::size_t feed = equal.rfind('\n'); feed != std::string_view::npos) {
      line_start = passed + feed + 1;
    }
    passed += equal_length;
    if (equal_length < length) break;
  }
  for (LinePlace& place : places) {
    place.offset += line_start;
    place.line += lines;
  }
  return true;
}

LineWindow ForwardReader::read_window(std::size_t side, LinePlace from, std::size_t lines_before,
                                      std::size_t lines_after, std::size_t max_bytes,
                                      std::string buffer) {
  ByteSource& source = *sources_[side];
  LineWindow window;
  window.bytes = std::move(buffer);
  window.bytes.clear();
  window.offset = line_start_before(source, from.offset, lines_before,
                                    std::span<char>(old_chunk_.get(), chunk_));
  std::string& bytes = window.bytes;
  // Room for the most the window can take, at once: a buffer grown a chunk
  // at a time is copied at each doubling and holds twice its bytes on the
  // way, and one this large is given back to the system when freed.
  const auto lead_length = static_cast<std::size_t>(from.offset - window.offset);
  bytes.reserve(lead_length + static_cast<std::size_t>(
                                  std::min<std::uint64_t>(max_bytes, source.size() - from.offset)));
  bytes.resize(lead_length);
  source.read(window.offset, {bytes.data(), bytes.size()});
  window.lead_lines = count_line_feeds(bytes);
  window.first_line = from.line - window.lead_lines;
  const std::size_t lead_bytes = bytes.size();

  std::size_t feeds = 0;  // line feeds read from `from` on
  std::uint64_t at = from.offset;
  while (feeds < lines_after) {
    const std::size_t room =
        max_bytes > bytes.size() - lead_bytes ? max_bytes - (bytes.size() - lead_bytes) : 0;
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>({chunk_, source.size() - at, room}));
    if (length == 0) break;
    const std::size_t old_size = bytes.size();
    bytes.resize(old_size + length);
    source.read(at, {bytes.data() + old_size, length});
    at += length;
    const std::string_view added(bytes.data() + old_size, length);
    const std::size_t added_feeds = count_line_feeds(added);
    if (feeds + added_feeds >= lines_after) {
      bytes.resize(old_size + past_feeds(added, lines_after - feeds));
      break;
    }
    feeds += added_feeds;
  }
  window.whole = window.offset + bytes.size() == source.size();
  if (!window.whole) {
    // Only whole lines: what follows the last line feed is read again later.
    const std::size_t last_feed = std::string_view(bytes).rfind('\n');
    bytes.resize(last_feed == std::string_view::npos || last_feed < lead_bytes ? lead_bytes
                                                                               : last_feed + 1);
  }
  return window;
}

}  // namespace ralu
