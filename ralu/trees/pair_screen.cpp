#include "ralu/trees/pair_screen.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "platform/input_file.h"
#include "ralu/inputs/chunked_ends.h"

namespace ralu {

Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<platform::EntryStatus, 2>& statuses) {
  if (statuses[0].size != statuses[1].size) return Sameness::different;
  std::string failure;
  // Opened as the walk saw them: a file that changed since reads short, and
  // is left to the comparison.
  const std::optional<platform::InputFile> a =
      platform::InputFile::open_known(paths[0].c_str(), statuses[0], failure);
  if (!a) return Sameness::unknown;
  const std::optional<platform::InputFile> b =
      platform::InputFile::open_known(paths[1].c_str(), statuses[1], failure);
  if (!b) return Sameness::unknown;
  const std::uint64_t size = a->size();
  const auto block = static_cast<std::size_t>(std::min(size, default_chunk));
  std::vector<char> a_bytes(block);
  std::vector<char> b_bytes(block);
  for (std::uint64_t at = 0; at < size; at += block) {
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(block, size - at));
    const std::int64_t a_read = a->read_at(at, std::span(a_bytes.data(), length), failure);
    const std::int64_t b_read = b->read_at(at, std::span(b_bytes.data(), length), failure);
    // A file that ends early has changed since it was opened: the
    // comparison will say so.
    if (a_read != static_cast<std::int64_t>(length) || b_read != a_read) return Sameness::unknown;
    if (std::memcmp(a_bytes.data(), b_bytes.data(), length) != 0) return Sameness::different;
  }
  // Nor may either have grown since the walk read its size.
  char beyond = 0;
  if (a->read_at(size, std::span(&beyond, 1), failure) != 0 ||
      b->read_at(size, std::span(&beyond, 1), failure) != 0) {
    return Sameness::unknown;
  }
  return Sameness::same;
}

}  // namespace ralu
