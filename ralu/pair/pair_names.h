// How a pair's report names its two files: in the lines that say how they
// relate and in warnings, and in the header of the forms that have one.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "platform/platform.h"
#include "ralu/formats/report.h"
#include "ralu/pair/run_plan.h"

namespace ralu {

class PairNames {
 public:
  PairNames(const RunPlan& plan, const std::array<std::string, 2>& paths);

  // The name in verdicts and warnings: the --label, or the path.
  const std::string& plain(std::size_t side) const { return plain_[side]; }
  // The name in headers: the --label, or the path, quoted where it must be.
  const std::string& header(std::size_t side) const { return header_[side]; }

  // A header's label for a side: a --label stands alone, a name is followed
  // by the file's time.
  FileLabel label(std::size_t side, const platform::LocalTime& modified) const;

 private:
  const RunPlan& plan_;
  std::array<std::string, 2> plain_;
  std::array<std::string, 2> header_;
};

}  // namespace ralu
