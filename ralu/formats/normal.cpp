#include "ralu/formats/normal.h"

namespace ralu {

// Placeholder until the form is written.
void write_normal(OutputSink&, std::string_view, std::string_view, const EditScript&,
                  const ReportStyle&) {}

}  // namespace ralu
