// Names for files that are written under a name of their own before they
// take their final one.
#pragma once

#include <string>

namespace platform {

// A file name, without a folder, that no other run is likely to pick at the
// same moment: "kevo-", eight random hexadecimal digits, ".tmp". It is short
// and of a fixed length, so that it fits in a folder wherever the final name
// is not much shorter; creating it exclusively settles the rare clash.
std::string staging_file_name();

}  // namespace platform
