// Words written so that a POSIX shell reads them back as they are: the
// options that head each pair of files compared within directories.
#pragma once

#include <string>
#include <string_view>

namespace ralu {

// The word as it stands when the shell would take it so; else in single
// quotes, or in double quotes when it holds a single quote and nothing the
// shell reads inside double quotes.
std::string shell_quoted(std::string_view word);

}  // namespace ralu
