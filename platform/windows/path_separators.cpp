#include "platform/windows/path_separators.h"

#include "common/common.h"

namespace platform::win32 {

std::size_t last_separator(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const char* const backslash = common::Strrchr(path.c_str(), '\\');
  if (backslash == nullptr) return slash;
  const auto at = static_cast<std::size_t>(backslash - path.c_str());
  return slash == std::string::npos || at > slash ? at : slash;
}

bool ends_in_separator(const std::string& path) {
  return !path.empty() && last_separator(path) == path.size() - 1;
}

}  // namespace platform::win32
