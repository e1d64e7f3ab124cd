// ralu's operands on Windows, where names are ANSI code page paths.
#include "platform/operands.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "common/common.h"

namespace platform {

PathKind path_kind(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::absent
                                                                          : PathKind::other;
  }
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::directory : PathKind::other;
}

std::string path_in_directory(const std::string& directory, const std::string& file) {
  // Both slashes separate; a 0x5C that ends a double-byte character does not.
  const char* backslash = common::Strrchr(file.c_str(), '\\');
  const std::size_t slash = file.find_last_of('/');
  std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (backslash != nullptr) {
    start = std::max(start, static_cast<std::size_t>(backslash - file.c_str()) + 1);
  }
  const std::string last = file.substr(start);
  // The system takes '/' as well as '\\', and '/' reads the same everywhere.
  const bool ends_in_separator =
      !directory.empty() &&
      (directory.back() == '/' ||
       common::Strrchr(directory.c_str(), '\\') == directory.c_str() + directory.size() - 1);
  return ends_in_separator ? directory + last : directory + '/' + last;
}

bool standard_output_is_terminal() { return ::_isatty(::_fileno(stdout)) != 0; }

}  // namespace platform
