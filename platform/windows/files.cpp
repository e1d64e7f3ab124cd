// Files on Windows. Names are code page bytes that the system's ANSI functions
// take as they are; the system itself splits them at backslashes, aware of
// double-byte characters when the code page has them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/platform.h"

namespace platform {

std::string native_name(const char* name) { return name; }

std::string name_as_argument(const char* name) {
  return name[0] == '-' ? std::string(".\\") + name : std::string(name);
}

std::string cp932_for_terminal(std::string_view text) { return std::string(text); }

void binary_standard_output() {
  std::fflush(stdout);
  ::_setmode(::_fileno(stdout), _O_BINARY);
}

std::FILE* open_for_reading(const char* name) { return std::fopen(name, "rb"); }

// A pipe is told by the handle that was opened for it, not by its name (such
// as \\.\pipe\x), which names no file on a disk. Every other status comes
// from the system, not from the C runtime's _stat64: some runtimes refuse a
// name that ends in 0x5C before reading it, even when that byte is the second
// half of a double-byte character such as 0x95 0x5C.
std::optional<FileStatus> file_status(const char* name, std::FILE* opened) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(opened)));
  if (::GetFileType(handle) == FILE_TYPE_PIPE) return FileStatus{false, 0, true};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return std::nullopt;
  const std::uint64_t size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return FileStatus{(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                    static_cast<std::int64_t>(size)};
}

bool opens_for_reading(const char* name) {
  std::FILE* file = std::fopen(name, "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace platform
