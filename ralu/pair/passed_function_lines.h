// Under -p and -F, the function line a hunk shows may lie anywhere before it,
// in lines a pass over a huge pair has left behind. They are searched from
// the hunk's piece backwards, only as far as the nearest function line or
// the end of the piece before, which was searched with its own lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ralu/formats/function_line.h"
#include "ralu/inputs/chunked_ends.h"

namespace ralu {

// The last matching line among the lines [begin, end) of the source (both
// line starts), as a hunk header shows it; nothing when none matches.
std::optional<std::string> last_function_line(ByteSource& source, std::uint64_t begin,
                                              std::uint64_t end,
                                              const FunctionLineMatcher& matcher);

}  // namespace ralu
