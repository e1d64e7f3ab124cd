#include "ralu/pair/passed_function_lines.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace ralu {

namespace {

// Bytes are read backwards this many at a time.
constexpr std::size_t backward_chunk = std::size_t{64} * 1024;

// The last matching line among the whole lines of `lines`, which start at
// its start and end at its end.
std::optional<std::string> last_in(std::string_view lines, const FunctionLineMatcher& matcher) {
  std::size_t at = lines.size();
  while (at > 0) {
    const std::size_t feed = at >= 2 ? lines.rfind('\n', at - 2) : std::string_view::npos;
    const std::size_t start = feed == std::string_view::npos ? 0 : feed + 1;
    const std::string_view content = matcher.content(lines.substr(start, at - start));
    if (matcher.matches(content)) return std::string(FunctionLineMatcher::shown(content));
    at = start;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> last_function_line(ByteSource& source, std::uint64_t begin,
                                              std::uint64_t end,
                                              const FunctionLineMatcher& matcher) {
  std::vector<char> bytes;
  // The end of a line that starts before the bytes read last, read with
  // them: it is searched once its start is read.
  std::string tail;
  for (std::uint64_t high = end; high > begin;) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(backward_chunk, high - begin));
    const std::uint64_t low = high - length;
    bytes.resize(length);
    source.read(low, bytes);
    std::string joined(bytes.data(), length);
    joined += tail;
    // Whole lines start after the first line feed, or at `begin`.
    const std::size_t first_feed = low == begin ? std::string::npos : joined.find('\n');
    if (low != begin && (first_feed == std::string::npos || first_feed + 1 > length)) {
      tail = std::move(joined);  // no line starts in these bytes
      high = low;
      continue;
    }
    const std::size_t whole = low == begin ? 0 : first_feed + 1;
    if (std::optional<std::string> found =
            last_in(std::string_view(joined).substr(whole), matcher)) {
      return found;
    }
    tail = joined.substr(0, whole);
    high = low;
  }
  return std::nullopt;
}

}  // namespace ralu
