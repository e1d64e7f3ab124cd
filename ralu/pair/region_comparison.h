// A huge pair compared a region at a time (see region_pass.h), its report
// written as each region is done.
#pragma once

#include <string>

#include "ralu/inputs/inputs.h"
#include "ralu/pair/pair_output.h"
#include "ralu/pair/run_plan.h"

namespace ralu {

// A pair is compared so when the plan allows it and either input is larger
// than this, or whatever its size when --horizon-lines was given.
inline constexpr std::uint64_t regions_from_bytes = std::uint64_t{64} * 1024 * 1024;

bool compares_in_regions(const RunPlan& plan, OpenedPair& pair);

// Compares the pair, writes what the plan asks for, and gives the exit
// status; throws the trouble met.
int compare_in_regions(const RunPlan& plan, OpenedPair& pair, const std::string* heading,
                       PairOutput& out);

}  // namespace ralu
