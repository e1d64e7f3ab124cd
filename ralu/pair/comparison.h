// The run of one pair: from two names to the report and the exit status.
// It is where trouble with a pair is met: said on the pair's output, and
// given back with whether the run ends.
#pragma once

#include <string>

#include "ralu/inputs/inputs.h"
#include "ralu/inputs/operands.h"
#include "ralu/pair/pair_output.h"
#include "ralu/pair/run_plan.h"

namespace ralu {

// What a pair's run came to: its exit status, and whether the run stops
// there, after trouble that ends it.
struct Outcome {
  int status = 0;
  bool ends_run = false;
};

// What is known of a pair of files before it is compared.
enum class Sameness : unsigned char {
  same,       // the same bytes
  different,  // bytes differ (the line comparison may still find them alike)
  unknown,    // not told: not looked at, a side absent, or trouble the comparison will say
};

// A pair of files found within two directories.
struct FilesInTrees {
  PairFiles files;
  Sameness sameness = Sameness::unknown;
  // What heads the pair's report: the command that would compare the pair
  // alone, without its names ("ralu -r -u").
  const std::string* heading = nullptr;
};

// The two names of the command line, when they are not two directories.
Outcome compare_operands(const RunPlan& plan, const Operands& operands, PairOutput& out);

// Two files within directories.
Outcome compare_files(const RunPlan& plan, const FilesInTrees& pair, PairOutput& out);

}  // namespace ralu
