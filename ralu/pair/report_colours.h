// The colours of a run's reports: diff's own, or those a --palette value
// sets. A value that cannot be read is said by each report that would be
// coloured, as diff says it for each pair of a tree (a run that writes no
// report says nothing), and the report is plain.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ralu/formats/palette.h"
#include "ralu/pair/pair_output.h"

namespace ralu {

class ReportColours {
 public:
  // The palette given, else `defaults`: diff's colours, or git's for a word
  // report.
  explicit ReportColours(const std::optional<std::string>& given, const Palette& defaults = {});

  // The palette for a report about to be written to `out`; nothing, said
  // on `out`, when the value given cannot be read. Asked once a report.
  const Palette* palette_for(PairOutput& out) const;

  // Whether no --palette was given: the colours are the defaults.
  bool defaults() const { return !scheme_ && trouble_.empty(); }

 private:
  Palette default_palette_;
  std::unique_ptr<ColourScheme> scheme_;
  std::vector<std::string> trouble_;
};

}  // namespace ralu
