#include "ralu/trees/pair_screen.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "platform/input_file.h"
#include "ralu/inputs/chunked_ends.h"

namespace ralu {

namespace {

constexpr std::uint64_t first_block = std::uint64_t{32} * 1024;

}  // namespace

Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<platform::EntryStatus, 2>& statuses) {
  if (statuses[0].size != statuses[1].size) return Sameness::different;
  // An empty status is left to the comparison, which reads such a file to
  // see (a file of /proc holds bytes all the same).
  if (statuses[0].size == 0) return Sameness::unknown;
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
  // One buffer for both files, as large as the largest read and left
  // unwritten until read into: zeroing it first would cost as much as
  // comparing the bytes of a tree's small files.
  const auto most = static_cast<std::size_t>(std::min<std::uint64_t>(size, default_chunk)) + 1;
  const std::unique_ptr<char[]> buffer(new char[2 * most]);
  char* const a_bytes = buffer.get();
  char* const b_bytes = buffer.get() + most;
  for (std::uint64_t at = 0; at < size;) {
    // Files that differ mostly differ early: the first block is a small one.
    const auto length = static_cast<std::size_t>(
        std::min<std::uint64_t>(size - at, at == 0 ? first_block : default_chunk));
    // The last read asks for a byte more, which must not come: neither file
    // may have grown since the walk read its size.
    const std::size_t asked = at + length == size ? length + 1 : length;
    const std::int64_t a_read = a->read_at(at, std::span(a_bytes, asked), failure);
    const std::int64_t b_read = b->read_at(at, std::span(b_bytes, asked), failure);
    // A file that ends early, or goes on, has changed since the walk: the
    // comparison will say so.
    if (a_read != static_cast<std::int64_t>(length) || b_read != a_read) return Sameness::unknown;
    if (std::memcmp(a_bytes, b_bytes, length) != 0) return Sameness::different;
    at += length;
  }
  return Sameness::same;
}

}  // namespace ralu
