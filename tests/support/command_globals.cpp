// The globals that a command linking the common library must define, for the
// library's own tests and fuzz targets. They hold what kevo's hold at start.
#include "common/common.h"

namespace common {

const char* cmd_name = "";
const char* const usage[] = {"Usage: test", nullptr};
void (*endfun)() = nullptr;
std::FILE* errfp = nullptr;

}  // namespace common
