// The least that any edit script between two files can score when each
// changed line costs 1 and each -U0 hunk (a run of changed lines with no
// unchanged line inside) costs 2, with the changed lines and hunks of a
// script that scores it. Summed over a corpus, it bounds from below the
// hunks that any tool can write while changing few lines more than the
// shortest script: a tool that changes C lines and writes H hunks has
// C + 2H >= the sum, so H >= (sum - C) / 2.
//
//   hunk_bound OLD NEW    prints "score changed hunks", or "skip" when the
//                         part between the common ends is too large to try.
//
// Dynamic programming over every pairing of the lines between the common
// head and tail, two rows at a time.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr double max_cells = 4e8;
constexpr std::int64_t hunk_cost = 2;

std::vector<std::uint32_t> line_classes(const char* path,
                                        std::unordered_map<std::string, std::uint32_t>& classes) {
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::uint32_t> ids;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size() - 1) + 1;
    const auto next_id = static_cast<std::uint32_t>(classes.size());
    ids.push_back(classes.emplace(text.substr(start, end - start), next_id).first->second);
    start = end;
  }
  return ids;
}

// A path's score so far, with its changed lines and hunks.
struct Cost {
  std::int64_t score, changed, hunks;
  bool operator<(const Cost& other) const { return score < other.score; }
};
constexpr Cost unreachable{INT64_MAX / 4, 0, 0};

// One more changed line, after an unchanged line (`opens` a hunk) or not.
Cost change(Cost c, bool opens) {
  if (c.score >= unreachable.score) return c;
  return {c.score + 1 + (opens ? hunk_cost : 0), c.changed + 1, c.hunks + (opens ? 1 : 0)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hunk_bound OLD NEW\n");
    return 2;
  }
  std::unordered_map<std::string, std::uint32_t> classes;
  std::vector<std::uint32_t> a = line_classes(argv[1], classes);
  std::vector<std::uint32_t> b = line_classes(argv[2], classes);
  const auto head = static_cast<std::size_t>(
      std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  a.erase(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(head));
  b.erase(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(head));
  while (!a.empty() && !b.empty() && a.back() == b.back()) {
    a.pop_back();
    b.pop_back();
  }
  const std::size_t n = a.size(), m = b.size();
  if (static_cast<double>(n) * static_cast<double>(m) > max_cells) {
    std::printf("skip\n");
    return 0;
  }
  // For the prefixes a[0, i) and b[0, j): the best path ending with an
  // unchanged line (or at the start), and the best ending with a change.
  std::vector<Cost> kept(m + 1), changed(m + 1), next_kept(m + 1), next_changed(m + 1);
  kept[0] = {0, 0, 0};
  changed[0] = unreachable;
  for (std::size_t j = 1; j <= m; ++j) {
    kept[j] = unreachable;
    changed[j] = std::min(change(kept[j - 1], true), change(changed[j - 1], false));
  }
  for (std::size_t i = 1; i <= n; ++i) {
    next_kept[0] = unreachable;
    next_changed[0] = std::min(change(kept[0], true), change(changed[0], false));
    for (std::size_t j = 1; j <= m; ++j) {
      next_kept[j] = a[i - 1] == b[j - 1] ? std::min(kept[j - 1], changed[j - 1]) : unreachable;
      const Cost deleted = std::min(change(kept[j], true), change(changed[j], false));
      const Cost inserted =
          std::min(change(next_kept[j - 1], true), change(next_changed[j - 1], false));
      next_changed[j] = std::min(deleted, inserted);
    }
    std::swap(kept, next_kept);
    std::swap(changed, next_changed);
  }
  const Cost best = std::min(kept[m], changed[m]);
  std::printf("%lld %lld %lld\n", static_cast<long long>(best.score),
              static_cast<long long>(best.changed), static_cast<long long>(best.hunks));
  return 0;
}
