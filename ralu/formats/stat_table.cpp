#include "ralu/formats/stat_table.h"

#include <algorithm>

namespace ralu {

namespace {

// Never narrower than a name of this many columns, the number and a bar of
// a few: a tiny WIDTH still gives a readable table.
constexpr std::size_t least_name_room = 16;
// What a line spends besides the name, the number and the bar: the blank
// before the name, " | " and the blank before the bar, and the column left
// free at the end.
constexpr std::size_t line_frame = 6;
// A bar scaled down is never shorter than this.
constexpr std::size_t least_bar = 6;

std::size_t digits(std::uint64_t value) {
  std::size_t count = 1;
  for (; value >= 10; value /= 10) ++count;
  return count;
}

std::string padded_left(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// The widths of a table's columns: the names, the numbers and the bars.
struct StatColumns {
  std::size_t name = 0;
  std::size_t number = 0;
  std::size_t bar = 0;
  std::uint64_t largest = 0;  // the most lines any one file changed
};

// The bar gets what the name and the number leave; when the line would be
// too wide, the bar first gives up what it takes beyond three eighths of
// the line, then the name gives up what is still too much.
StatColumns columns_for(std::span<const FileStat> files, const StatLimits& limits,
                        std::size_t columns) {
  StatColumns widths;
  std::size_t longest = 0;
  bool any_binary = false;
  for (const FileStat& file : files) {
    longest = std::max(longest, file.name.size());
    if (file.binary) {
      any_binary = true;
    } else {
      widths.largest = std::max(widths.largest, file.added + file.deleted);
    }
  }
  widths.number = digits(widths.largest);
  if (any_binary) widths.number = std::max<std::size_t>(widths.number, 3);  // "Bin"
  std::size_t width = limits.width.value_or(columns);
  width = std::max(width, least_name_room + line_frame + widths.number);
  widths.name = std::min(longest, limits.name_width.value_or(longest));
  const std::size_t spare = width - widths.number - line_frame;
  std::size_t bar = widths.largest;
  if (widths.name + bar <= spare) {
    widths.bar = bar;
    return widths;
  }
  const std::size_t share = width * 3 / 8;
  const std::size_t bar_share =
      share > widths.number + line_frame ? share - widths.number - line_frame : 0;
  if (bar > bar_share) bar = std::max(bar_share, least_bar);
  if (widths.name > spare - std::min(bar, spare)) {
    widths.name = spare - std::min(bar, spare);
  } else {
    bar = spare - widths.name;
  }
  widths.bar = bar;
  return widths;
}

// A name cut to `width` columns keeps its end, after "..." and from a slash
// on where one is left.
std::string fitted_name(const std::string& name, std::size_t width) {
  if (name.size() <= width) return name + std::string(width - name.size(), ' ');
  const std::size_t kept = width > 3 ? width - 3 : 0;
  std::string tail = name.substr(name.size() - kept);
  if (const std::size_t slash = tail.find('/'); slash != std::string::npos) {
    tail.erase(0, slash);
  }
  std::string fitted = "..." + tail;
  if (fitted.size() < width) fitted.append(width - fitted.size(), ' ');
  return fitted;
}

// Scales a count to a bar of `bar` columns for at most `largest`; anything
// above 0 keeps at least one column.
std::uint64_t scaled(std::uint64_t count, std::uint64_t bar, std::uint64_t largest) {
  if (count == 0) return 0;
  return 1 + count * (bar - 1) / largest;
}

// The pluses and minuses of a file, scaled down when the largest change
// would not fit: the total is scaled, and so is the smaller side, which
// leaves the larger side the rest (both keep one mark when both are there).
std::string bar_of(const FileStat& file, const StatColumns& widths, const Palette* palette) {
  std::uint64_t added = file.added;
  std::uint64_t deleted = file.deleted;
  if (widths.bar < widths.largest) {
    std::uint64_t total = scaled(added + deleted, widths.bar, widths.largest);
    if (total < 2 && added != 0 && deleted != 0) total = 2;
    if (added < deleted) {
      added = scaled(added, widths.bar, widths.largest);
      deleted = total - added;
    } else {
      deleted = scaled(deleted, widths.bar, widths.largest);
      added = total - deleted;
    }
  }
  std::string bar;
  const auto marks = [&](std::uint64_t count, char mark, std::string_view colour) {
    if (count == 0) return;
    if (palette != nullptr) bar += colour;
    bar.append(count, mark);
    if (palette != nullptr) bar += palette->reset;
  };
  marks(added, '+', palette != nullptr ? palette->inserted : "");
  marks(deleted, '-', palette != nullptr ? palette->deleted : "");
  return bar;
}

// The sizes of a binary pair are coloured as the side they stand for.
std::string coloured(std::string text, const Palette* palette, std::string_view Palette::*colour) {
  if (palette == nullptr) return text;
  return std::string(palette->*colour) + text + std::string(palette->reset);
}

std::string stat_line(const FileStat& file, const StatColumns& widths, const Palette* palette) {
  std::string line = " " + fitted_name(file.name, widths.name) + " | ";
  if (file.binary) {
    line += padded_left("Bin", widths.number) + " " +
            coloured(std::to_string(file.old_size), palette, &Palette::deleted) + " -> " +
            coloured(std::to_string(file.new_size), palette, &Palette::inserted) + " bytes";
  } else {
    const std::uint64_t changed = file.added + file.deleted;
    line += padded_left(std::to_string(changed), widths.number);
    if (changed != 0) line += " " + bar_of(file, widths, palette);
  }
  return line + "\n";
}

std::string numstat_line(const FileStat& file) {
  if (file.binary) return "-\t-\t" + file.name + "\n";
  return std::to_string(file.added) + "\t" + std::to_string(file.deleted) + "\t" + file.name + "\n";
}

// " 2 files changed, 3 insertions(+), 1 deletion(-)": a side with none is
// left out, unless both have none.
std::string summary_line(std::span<const FileStat> files) {
  std::uint64_t added = 0;
  std::uint64_t deleted = 0;
  for (const FileStat& file : files) {
    if (file.binary) continue;
    added += file.added;
    deleted += file.deleted;
  }
  const auto counted = [](std::uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + (count == 1 ? one : many);
  };
  std::string line = " " + counted(files.size(), " file changed", " files changed");
  if (added != 0 || deleted == 0) line += ", " + counted(added, " insertion(+)", " insertions(+)");
  if (deleted != 0 || added == 0) line += ", " + counted(deleted, " deletion(-)", " deletions(-)");
  return line + "\n";
}

// The end of the part both names share before a slash, or 0.
std::size_t shared_prefix(std::string_view a, std::string_view b) {
  std::size_t prefix = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i) {
    if (a[i] == '/') prefix = i + 1;
  }
  return prefix;
}

// The length of the part both names share from a slash to their ends, or
// 0; it may take back the slash that ends the shared prefix, not more.
std::size_t shared_suffix(std::string_view a, std::string_view b, std::size_t prefix) {
  const std::size_t floor = prefix > 0 ? prefix - 1 : 0;
  std::size_t suffix = 0;
  std::size_t i = a.size();
  std::size_t j = b.size();
  while (i > floor && j > floor && a[i - 1] == b[j - 1]) {
    --i;
    --j;
    if (a[i] == '/') suffix = a.size() - i;
  }
  return suffix;
}

}  // namespace

std::string pair_stat_name(std::string_view old_name, std::string_view new_name) {
  const std::size_t prefix = shared_prefix(old_name, new_name);
  const std::size_t suffix = shared_suffix(old_name, new_name, prefix);
  if (prefix + suffix == 0) return std::string(old_name) + " => " + std::string(new_name);
  const auto middle = [&](std::string_view name) {
    const std::size_t end = name.size() > suffix ? name.size() - suffix : 0;
    return end > prefix ? std::string(name.substr(prefix, end - prefix)) : std::string();
  };
  return std::string(old_name.substr(0, prefix)) + "{" + middle(old_name) + " => " +
         middle(new_name) + "}" + std::string(old_name.substr(old_name.size() - suffix));
}

std::string format_stats(StatForm form, std::span<const FileStat> files, const StatLimits& limits,
                         std::size_t columns, const Palette* palette) {
  if (files.empty() || form == StatForm::none) return "";
  std::string text;
  if (form == StatForm::numstat) {
    for (const FileStat& file : files) text += numstat_line(file);
    return text;
  }
  if (form == StatForm::stat) {
    const std::size_t shown = std::min(files.size(), limits.count.value_or(files.size()));
    const StatColumns widths = columns_for(files.first(shown), limits, columns);
    for (const FileStat& file : files.first(shown)) text += stat_line(file, widths, palette);
    if (shown < files.size()) text += " ...\n";
  }
  return text + summary_line(files);
}

}  // namespace ralu
