#include "ralu/formats/side_by_side.h"

namespace ralu {

// Placeholder until the form is written.
void write_side_by_side(OutputSink&, std::string_view, std::string_view, const EditScript&,
                        const SideBySideLayout&, const ReportStyle&) {}

}  // namespace ralu
