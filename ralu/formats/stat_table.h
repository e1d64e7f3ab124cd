// git's summaries of a change, by files rather than by lines: the table of
// --stat with a bar of pluses and minuses for each file, the tab-separated
// counts of --numstat, and the one closing line of --shortstat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ralu/formats/palette.h"

namespace ralu {

enum class StatForm : unsigned char { none, stat, numstat, shortstat };

// What one pair of files that differ came to.
struct FileStat {
  std::string name;  // both names in one, as pair_stat_name makes it
  std::uint64_t added = 0;
  std::uint64_t deleted = 0;
  bool binary = false;  // then only the sizes are told
  std::uint64_t old_size = 0;
  std::uint64_t new_size = 0;
};

// The widths --stat=WIDTH,NAME-WIDTH,COUNT gives; each may be left out.
struct StatLimits {
  std::optional<std::size_t> width;       // the whole line, else the terminal's
  std::optional<std::size_t> name_width;  // at most this much of a name
  std::optional<std::size_t> count;       // at most this many files listed

  bool operator==(const StatLimits&) const = default;
};

// git's own colours for the bars, which its reset ends without a 0.
inline constexpr Palette git_stat_palette{"", "", "\x1b[31m", "\x1b[32m", "\x1b[m"};

// The two names of a pair as one, the way git names a rename: the part both
// share before a slash and after one is written once, and the parts that
// differ in braces ("{old => new}/f", "src/{ => lib}/f"); with nothing
// shared, "old => new".
std::string pair_stat_name(std::string_view old_name, std::string_view new_name);

// The whole summary in its form, the closing line included; nothing when no
// file differs. `columns` is the width used when the limits give none; the
// palette, when there is one, colours the bars.
std::string format_stats(StatForm form, std::span<const FileStat> files, const StatLimits& limits,
                         std::size_t columns, const Palette* palette);

}  // namespace ralu
