// The shell's wildcards, for the names -x and -X leave out of a directory
// comparison: "*" for any run of bytes, "?" for one byte, "[...]" for one of
// a set ("[!...]" or "[^...]" for one outside it, "a-z" for a range,
// "[:alpha:]" and the other POSIX classes, "[=a=]" and "[.a.]" for a byte),
// and a backslash for the byte after it, as the C library's fnmatch reads them
// in the C locale: one byte is one character. A name is matched whole; a
// leading dot is an ordinary byte.
#pragma once

#include <string_view>

namespace ralu {

// Whether `name` matches `pattern`, ASCII letters of either case alike when
// `fold_case` is set.
bool name_matches(std::string_view pattern, std::string_view name, bool fold_case);

}  // namespace ralu
