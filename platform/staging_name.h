// Names for files that are written under a name of their own before they
// take their final one.
#pragma once

#include <string>

namespace platform {

// A file name, without a folder, that no other run is likely to pick at the
// same moment: "kevo-", eight random hexadecimal digits, ".tmp". Its length
// is fixed and short rather than the final name's plus a suffix, so that a
// final name near the system's limit for a name still has room beside it.
// Creating the file exclusively settles the rare clash.
std::string staging_file_name();

}  // namespace platform
