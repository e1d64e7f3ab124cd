// ralu's operands on Windows, where names are ANSI code page paths.
#include "platform/operands.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/windows/path_separators.h"

namespace platform {

PathKind path_kind(const char* path, bool follow_links) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (!follow_links && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return PathKind::other;
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::absent
                                                                          : PathKind::other;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::other;
}

std::string path_within(const std::string& directory, const std::string& name) {
  // The system takes '/' as well as '\\', and '/' reads the same everywhere.
  std::string path = directory;
  while (win32::ends_in_separator(path)) path.pop_back();
  return path + "/" + name;
}

std::string last_component(const std::string& path) {
  const std::size_t separator = win32::last_separator(path);
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool standard_output_is_terminal() { return ::_isatty(::_fileno(stdout)) != 0; }

std::size_t standard_output_columns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return 0;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

}  // namespace platform
