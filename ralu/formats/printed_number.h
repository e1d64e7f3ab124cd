// The numbers of the line and group formats, printed as C's printf prints
// them under the format's flags, width, precision and base.
#pragma once

#include <cstdint>

#include "ralu/formats/format_program.h"
#include "ralu/formats/report_writer.h"

namespace ralu {

// Writes nothing when the width or precision is more than printf takes (an
// int's largest value), as printf then fails.
void put_printed_number(ReportWriter& out, const NumberLayout& layout, std::uint64_t value);

}  // namespace ralu
