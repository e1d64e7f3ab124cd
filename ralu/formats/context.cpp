#include "ralu/formats/context.h"

namespace ralu {

// Placeholder until the form is written.
void write_context(OutputSink&, const FileLabel&, const FileLabel&, std::string_view,
                   std::string_view, const EditScript&, std::size_t, const ReportStyle&) {}

}  // namespace ralu
