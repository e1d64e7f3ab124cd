#include "ralu/frequent_lines.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ralu {

namespace {

// A line counts as frequent when it occurs at least this many times in the
// other input, or the square root of that input's length if more: so in a
// short input only blank lines and their like, never a line that merely
// repeats a few times.
constexpr std::uint32_t min_frequent_count = 16;
// How far to look on each side of a frequent line for the lines around it.
constexpr std::size_t look_range = 100;
// A frequent line is marked when frequent lines, itself included, make less
// than one in this many of the unpaired and frequent lines around it.
constexpr std::size_t frequent_share = 7;

enum class Kind : std::uint8_t { unpaired, frequent, ordinary };

// The unpaired and frequent lines met from one line outwards, up to the
// first ordinary line.
struct Surroundings {
  std::size_t unpaired = 0;
  std::size_t frequent = 0;
};

template <typename Step>
Surroundings look_around(const std::vector<Kind>& kinds, std::size_t from, Step step) {
  Surroundings found;
  std::size_t at = from;
  for (std::size_t seen = 0; seen < look_range && step(at); ++seen) {
    if (kinds[at] == Kind::ordinary) break;
    ++(kinds[at] == Kind::unpaired ? found.unpaired : found.frequent);
  }
  return found;
}

}  // namespace

std::size_t mark_frequent_lines_among_changes(std::span<const std::uint32_t> ids,
                                              std::span<const std::uint32_t> count_in_other,
                                              std::size_t other_size,
                                              std::span<std::uint8_t> changed) {
  const auto root = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(other_size)));
  const std::uint32_t frequent_count = std::max(min_frequent_count, root);
  std::vector<Kind> kinds(ids.size());
  std::transform(ids.begin(), ids.end(), kinds.begin(), [&](std::uint32_t id) {
    const std::uint32_t count = count_in_other[id];
    return count == 0 ? Kind::unpaired : count >= frequent_count ? Kind::frequent : Kind::ordinary;
  });

  // Every line is judged by what surrounds it in the input as it stands, so
  // marks are set only once all are decided.
  std::vector<std::size_t> marked;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (kinds[i] != Kind::frequent) continue;
    const Surroundings before =
        look_around(kinds, i, [](std::size_t& at) { return at > 0 ? (--at, true) : false; });
    const Surroundings after = look_around(
        kinds, i, [&](std::size_t& at) { return at + 1 < kinds.size() ? (++at, true) : false; });
    if (before.unpaired == 0 || after.unpaired == 0) continue;  // not among changes
    const std::size_t frequent = before.frequent + after.frequent + 1;
    if (frequent * frequent_share < before.unpaired + after.unpaired + frequent)
      marked.push_back(i);
  }
  for (const std::size_t i : marked) changed[i] = 1;
  return marked.size();
}

}  // namespace ralu
