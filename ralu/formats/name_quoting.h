// Names in a report's header, quoted the way GNU diff quotes them, so that
// `patch` finds the file whatever bytes its name holds.
#pragma once

#include <string>
#include <string_view>

namespace ralu {

// The name as it stands when it holds only printable ASCII other than blank,
// double quote and backslash (DEL counts as printable here, as diff has it).
// Otherwise the name in double quotes, with C escapes for the control bytes
// that have one (\a \b \t \n \v \f \r), \" and \\, and three octal digits for
// every other control byte and every byte from 0x80.
std::string quote_name(std::string_view name);

}  // namespace ralu
