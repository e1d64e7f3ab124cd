// Files on POSIX systems.
#include <sys/stat.h>

#include "common/common.h"
#include "platform/platform.h"

namespace platform {

std::string native_name(const char* name) {
  std::string native(name);
  // Double-byte aware: a trail byte 0x5C inside a Shift-JIS character stays.
  common::ChgChr(native.data(), '\\', '/');
  return native;
}

void binary_standard_output() {}

std::FILE* open_for_reading(const char* name) {
  return std::fopen(native_name(name).c_str(), "rb");
}

std::optional<FileStatus> file_status(const char* name) {
  struct stat status {};
  if (::stat(native_name(name).c_str(), &status) != 0) return std::nullopt;
  return FileStatus{S_ISDIR(status.st_mode), static_cast<std::int64_t>(status.st_size),
                    S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)};
}

}  // namespace platform
