#include "ralu/formats/formatted.h"

namespace ralu {

// Placeholder until the form is written.
void write_formatted(OutputSink&, std::string_view, std::string_view, const EditScript&,
                     const LineFormats&, const ReportStyle&) {}

}  // namespace ralu
