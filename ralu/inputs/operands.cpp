#include "ralu/inputs/operands.h"

#include "platform/input_file.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

using platform::PathKind;

// The directory's side names the file of the other's name inside it. (Two
// directories are compared as trees, never here.)
std::array<std::string, 2> resolve_paths(const Operands& operands) {
  std::array<std::string, 2> paths = operands.names;
  for (std::size_t i = 0; i < 2; ++i) {
    if (operands.kinds[i] != PathKind::directory) continue;
    const std::string& other = operands.names[1 - i];
    if (is_standard_input(other)) fail_usage("cannot compare '-' to a directory");
    if (operands.kinds[1 - i] == PathKind::absent) {
      // The name that is not there is the trouble, not the file of its name
      // in the directory: opening it says why in the system's words.
      std::string failure;
      if (!platform::InputFile::open(other.c_str(), failure)) fail_pair(other, failure);
    }
    paths[i] = platform::path_within(operands.names[i], platform::last_component(other));
  }
  return paths;
}

}  // namespace

bool is_standard_input(const std::string& name) { return name == "-"; }

Operands look_at_operands(const std::array<std::string, 2>& names, bool follow_links) {
  Operands operands{names, {PathKind::other, PathKind::other}};
  for (std::size_t i = 0; i < 2; ++i) {
    if (!is_standard_input(names[i])) {
      operands.kinds[i] = platform::path_kind(names[i].c_str(), follow_links);
    }
  }
  return operands;
}

namespace {

std::optional<platform::EntryStatus> status_of(const PairFiles& files, std::size_t side,
                                               bool follow_links, std::string& failure) {
  if (files.absent[side]) {
    failure = "No such file or directory";
    return std::nullopt;
  }
  const std::string& path = files.paths[side];
  if (is_standard_input(path)) return platform::standard_input_status(failure);
  return platform::entry_status(path.c_str(), follow_links, failure);
}

}  // namespace

bool name_one_file(const PairFiles& files) {
  std::string failure;
  const std::optional<platform::EntryStatus> a = status_of(files, 0, true, failure);
  if (!a) return false;
  const std::optional<platform::EntryStatus> b = status_of(files, 1, true, failure);
  return b && a->same_file(*b);
}

std::array<std::optional<platform::EntryStatus>, 2> unfollowed_statuses(
    const PairFiles& files, std::array<std::string, 2>& failures) {
  return {status_of(files, 0, false, failures[0]), status_of(files, 1, false, failures[1])};
}

std::optional<std::array<bool, 2>> directory_roots(const Operands& operands, bool new_file,
                                                   bool unidirectional_new_file) {
  if (is_standard_input(operands.names[0]) || is_standard_input(operands.names[1])) {
    return std::nullopt;
  }
  const std::array<PathKind, 2>& kinds = operands.kinds;
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::directory) {
    return std::array<bool, 2>{false, false};
  }
  const bool first_may_be_absent = new_file || unidirectional_new_file;
  if (kinds[0] == PathKind::absent && kinds[1] == PathKind::directory && first_may_be_absent) {
    return std::array<bool, 2>{true, false};
  }
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::absent && new_file) {
    return std::array<bool, 2>{false, true};
  }
  return std::nullopt;
}

PairFiles files_of(const Operands& operands, bool new_file, bool unidirectional_new_file) {
  PairFiles files{resolve_paths(operands), {}};
  if (!new_file && !unidirectional_new_file) return files;
  for (std::size_t i = 0; i < (new_file ? 2 : 1); ++i) {
    const std::string& path = files.paths[i];
    if (is_standard_input(path)) continue;
    // A name that stands for itself was looked at already.
    const PathKind kind =
        path == operands.names[i] ? operands.kinds[i] : platform::path_kind(path.c_str());
    files.absent[i] = kind == PathKind::absent;
  }
  // Under -N one file may be missing, not both.
  if (files.absent[0] && files.absent[1]) files.absent = {false, false};
  return files;
}

}  // namespace ralu
