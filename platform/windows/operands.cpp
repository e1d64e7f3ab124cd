// ralu's operands on Windows, where names are ANSI code page paths.
#include "platform/operands.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "common/common.h"

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

namespace {

// Whether the path ends in a slash or in a backslash of its own, not in the
// 0x5C that ends a double-byte character.
bool ends_in_separator(const std::string& path) {
  if (path.empty()) return false;
  if (path.back() == '/') return true;
  const char* const backslash = common::Strrchr(path.c_str(), '\\');
  return backslash == path.c_str() + path.size() - 1;
}

}  // namespace

std::string path_within(const std::string& directory, const std::string& name) {
  // The system takes '/' as well as '\\', and '/' reads the same everywhere.
  std::string path = directory;
  while (ends_in_separator(path)) path.pop_back();
  return path + "/" + name;
}

std::string last_component(const std::string& path) {
  // Both slashes separate; a 0x5C that ends a double-byte character does not.
  const char* const backslash = common::Strrchr(path.c_str(), '\\');
  const std::size_t slash = path.find_last_of('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (backslash != nullptr) {
    start = std::max(start, static_cast<std::size_t>(backslash - path.c_str()) + 1);
  }
  return path.substr(start);
}

bool standard_output_is_terminal() { return ::_isatty(::_fileno(stdout)) != 0; }

std::size_t standard_output_columns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info) == 0) return 0;
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

}  // namespace platform
