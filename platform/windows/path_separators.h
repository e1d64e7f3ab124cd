// Where a Windows path separates its folders. Both slashes do, but the
// backslash only as a byte of its own: in code page 932 the second byte of a
// double-byte character such as 表 (0x95 0x5C) or ソ (0x83 0x5C) has the
// backslash's value, and a byte-wise look at the end of "t1\表" sees a
// separator that is not there. The common library's unit scan tells them
// apart; a slash (0x2F) is never a second byte.
#pragma once

#include <cstddef>
#include <string>

namespace platform::win32 {

// The position of the path's last separator, or std::string::npos.
std::size_t last_separator(const std::string& path);

// True when the path's last unit is a separator.
bool ends_in_separator(const std::string& path);

}  // namespace platform::win32
