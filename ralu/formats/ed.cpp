#include "ralu/formats/ed.h"

namespace ralu {

// Placeholder until the form is written.
void write_ed(OutputSink&, std::string_view, std::string_view, const EditScript&,
              const ReportStyle&) {}

}  // namespace ralu
