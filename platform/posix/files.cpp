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

std::string name_as_argument(const char* name) {
  const std::string native = native_name(name);
  return native.starts_with('-') ? "./" + native : native;
}

void binary_standard_output() {}

std::FILE* open_for_reading(const char* name) {
  return std::fopen(native_name(name).c_str(), "rb");
}

std::optional<FileStatus> file_status(const char* name, std::FILE* opened) {
  struct stat status {};
  if (::stat(native_name(name).c_str(), &status) != 0) return std::nullopt;
  struct stat stream_status {};
  const bool is_pipe = ::fstat(::fileno(opened), &stream_status) == 0 &&
                       (S_ISFIFO(stream_status.st_mode) || S_ISSOCK(stream_status.st_mode));
  return FileStatus{S_ISDIR(status.st_mode), static_cast<std::int64_t>(status.st_size), is_pipe};
}

}  // namespace platform
