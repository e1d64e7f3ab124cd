#include "ralu/pair/pair_names.h"

#include "ralu/formats/name_quoting.h"
#include "ralu/pair/verdicts.h"

namespace ralu {

PairNames::PairNames(const RunPlan& plan, const std::array<std::string, 2>& paths) : plan_(plan) {
  for (std::size_t i = 0; i < 2; ++i) {
    plain_[i] = shown_name(plan.labels, i, paths[i]);
    header_[i] = i < plan.labels.size() ? plan.labels[i] : quote_name(paths[i]);
  }
}

FileLabel PairNames::label(std::size_t side, const platform::LocalTime& modified) const {
  if (side < plan_.labels.size()) return {header_[side], std::nullopt};
  return {header_[side], modified,
          plan_.report.form == OutputForm::context && plan_.traditional_times};
}

}  // namespace ralu
