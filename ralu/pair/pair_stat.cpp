#include "ralu/pair/pair_stat.h"

#include <utility>

#include "ralu/pair/verdicts.h"

namespace ralu {

std::string stat_name(const RunPlan& plan, const std::array<std::string, 2>& paths,
                      std::array<bool, 2> absent) {
  std::array<std::string, 2> names;
  for (std::size_t side = 0; side < 2; ++side) {
    names[side] = absent[side] ? "/dev/null" : shown_name(plan.labels, side, paths[side]);
  }
  return pair_stat_name(names[0], names[1]);
}

FileStat lines_stat(std::string name, const EditScript& script) {
  FileStat file{std::move(name)};
  for (const ChangeGroup& group : script.groups) {
    if (group.ignored) continue;
    file.deleted += group.old_end - group.old_begin;
    file.added += group.new_end - group.new_begin;
  }
  return file;
}

FileStat binary_stat(std::string name, std::uint64_t old_size, std::uint64_t new_size) {
  FileStat file{std::move(name)};
  file.binary = true;
  file.old_size = old_size;
  file.new_size = new_size;
  return file;
}

}  // namespace ralu
