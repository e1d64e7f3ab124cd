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

bool standard_output_pipe_closed() { return false; }

void interrupts_end_as_interrupted() {}

std::FILE* open_for_reading(const char* name) {
  return std::fopen(native_name(name).c_str(), "rb");
}

std::optional<FileStatus> file_status(const char* name, std::FILE* opened) {
  struct stat status {};
  if (::stat(native_name(name).c_str(), &status) != 0) return std::nullopt;
  FileStatus result;
  result.is_directory = S_ISDIR(status.st_mode);
  result.size = static_cast<std::int64_t>(status.st_size);
  // What is read is the stream, so its own status says what kind of file it
  // is and which; the name may have been replaced since it was opened.
  struct stat stream_status {};
  if (::fstat(::fileno(opened), &stream_status) == 0) {
    result.is_pipe = S_ISFIFO(stream_status.st_mode) || S_ISSOCK(stream_status.st_mode);
    result.size_is_content = S_ISREG(status.st_mode) && S_ISREG(stream_status.st_mode) &&
                             status.st_size > 0 && status.st_size == stream_status.st_size;
    result.identity = FileIdentity{static_cast<std::uint64_t>(stream_status.st_dev),
                                   static_cast<std::uint64_t>(stream_status.st_ino)};
  }
  return result;
}

bool entry_exists(const char* name) {
  struct stat status {};
  return ::lstat(native_name(name).c_str(), &status) == 0;
}

}  // namespace platform
