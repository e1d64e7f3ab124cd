// Two directories compared as GNU diff compares them: each pair of files
// with its own report, headed by the command that would compare that pair
// alone, and a line for every name that is not a pair of files.
#pragma once

#include <array>
#include <span>
#include <string>
#include <vector>

#include "ralu/pair/comparison.h"
#include "ralu/pair/run_plan.h"
#include "ralu/trees/tree_options.h"
#include "ralu/trees/tree_walk.h"

namespace ralu {

// The patterns of -x, then the lines of each -X file; a file that cannot be
// read is trouble that ends the run.
std::vector<ExcludeOption> excluded_names(const TreeOptions& tree);

// "ralu" and the arguments that were not names, each as a shell reads it
// back: what heads each pair's report.
std::string heading_of(std::span<const std::string> switches);

// Compares the directories `roots` (an `absent` one read as empty) and what
// the walk takes in below them; gives the outcome over all of it.
Outcome compare_trees(const RunPlan& plan, const TreeWalk& walk, const std::string& heading,
                      const std::array<std::string, 2>& roots, std::array<bool, 2> absent);

}  // namespace ralu
