// The globals that kevo defines for itself and for the common library.
#include "common/common.h"

namespace common {

// Every report line starts with this prefix; kevo's is empty.
const char* cmd_name = "";
// kevo installs no clean-up for the memory helpers.
void (*endfun)() = nullptr;
// kevo never redirects diagnostics, so they all go to standard error.
std::FILE* errfp = nullptr;

}  // namespace common
