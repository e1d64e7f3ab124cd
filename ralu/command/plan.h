// The run plan, made once from the options: what every pair of the run needs.
#pragma once

#include "ralu/command/options.h"
#include "ralu/pair/run_plan.h"

namespace ralu {

// Compiles the patterns of -F and -I (a bad one is a mistake on the command
// line, met before anything is compared) and settles what the options mean
// for reading, matching and writing.
RunPlan plan_run(const Options& options);

}  // namespace ralu
