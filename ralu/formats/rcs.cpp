#include "ralu/formats/rcs.h"

namespace ralu {

// Placeholder until the form is written.
void write_rcs(OutputSink&, std::string_view, std::string_view, const EditScript&,
               const ReportStyle&) {}

}  // namespace ralu
