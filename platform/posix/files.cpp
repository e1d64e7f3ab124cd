// Files on POSIX systems.
#include <sys/stat.h>

#include "platform/platform.h"

namespace platform {

namespace {

// Lead bytes of Shift-JIS double-byte characters, as every name scan counts them.
bool is_lead_byte(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::string native_name(const char* name) {
  std::string native(name);
  for (std::size_t i = 0; i < native.size(); ++i) {
    const auto byte = static_cast<unsigned char>(native[i]);
    if (byte == '\\') {
      native[i] = '/';
    } else if (is_lead_byte(byte) && i + 1 < native.size()) {
      ++i;  // the trail byte may be 0x5C, which is not a separator
    }
  }
  return native;
}

std::FILE* open_for_reading(const char* name) {
  return std::fopen(native_name(name).c_str(), "rb");
}

std::optional<FileStatus> file_status(const char* name) {
  struct stat status {};
  if (::stat(native_name(name).c_str(), &status) != 0) return std::nullopt;
  return FileStatus{S_ISDIR(status.st_mode), static_cast<std::int64_t>(status.st_size)};
}

}  // namespace platform
