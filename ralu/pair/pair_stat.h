// A pair's line in the stat forms, from ralu's own edit script: the lines
// its groups delete and insert (those -B and -I leave out do not count), or
// for a binary pair the sizes of its files.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/stat_table.h"
#include "ralu/pair/run_plan.h"

namespace ralu {

// The pair's name as git gives it: both paths (or --labels) in one, an
// absent side named /dev/null.
std::string stat_name(const RunPlan& plan, const std::array<std::string, 2>& paths,
                      std::array<bool, 2> absent);

FileStat lines_stat(std::string name, const EditScript& script);

FileStat binary_stat(std::string name, std::uint64_t old_size, std::uint64_t new_size);

}  // namespace ralu
