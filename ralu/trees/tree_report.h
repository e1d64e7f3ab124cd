// Two directories compared as GNU diff compares them: each pair of files
// with its own report, headed by the command that would compare that pair
// alone, and a line for every name that is not a pair of files.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ralu/command/options.h"
#include "ralu/pair/comparison.h"

namespace ralu {

// Whether the two names call for a comparison of directories: both are
// directories, or one is and the other is absent where the options read an
// absent file as empty. Gives which root is absent.
std::optional<std::array<bool, 2>> directory_roots(const std::vector<std::string>& names,
                                                   const Options& options);

// The patterns of -x, then the lines of each -X file; a file that cannot be
// read ends the run.
std::vector<std::string> excluded_names(const TreeOptions& tree);

// Compares the directories and everything the options take in below them,
// leaving out the names that match `excluded`; gives the exit status over
// all of it.
int compare_trees(const Options& options, const Patterns& patterns,
                  const std::vector<std::string>& excluded, const std::vector<std::string>& roots,
                  std::array<bool, 2> absent);

}  // namespace ralu
