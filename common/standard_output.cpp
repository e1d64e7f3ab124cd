// Making sure that what a command wrote to standard output reached the system.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/common.h"

namespace common {

void flush_standard_output_or_exit(const char* program, int failure_status, int earlier_error) {
  // errno is taken at once, before any other call can change it.
  const int flush_error = std::fflush(stdout) != 0 ? errno : 0;
  const bool failed = flush_error != 0 || earlier_error != 0 || std::ferror(stdout) != 0;
  if (!failed) return;
  const int error = earlier_error != 0 ? earlier_error : flush_error != 0 ? flush_error : EIO;
  errmsg("%s: standard output: %s\n", program, std::strerror(error));
  std::exit(failure_status);
}

}  // namespace common
