#include "ralu/pair/report_colours.h"

#include "ralu/trouble.h"

namespace ralu {

ReportColours::ReportColours(const std::optional<std::string>& given, const Palette& defaults)
    : default_palette_(defaults) {
  if (!given) return;
  PaletteReading reading = read_palette(*given);
  if (!reading.codes) {
    trouble_ = std::move(reading.trouble);
    return;
  }
  scheme_ = std::make_unique<ColourScheme>(*reading.codes);
}

const Palette* ReportColours::palette_for(PairOutput& out) const {
  if (scheme_) return &scheme_->palette();
  if (trouble_.empty()) return &default_palette_;
  for (const std::string& line : trouble_) {
    out.warn(std::string(program_name) + ": " + line + "\n");
  }
  return nullptr;
}

}  // namespace ralu
