// The globals a command linking the common library defines, for the fuzzers.
#include "common/common.h"

namespace common {

const char* cmd_name = "";
const char* const usage[] = {"Usage: fuzz", nullptr};
void (*endfun)() = nullptr;
std::FILE* errfp = nullptr;

}  // namespace common
