// ralu's operands on POSIX systems.
#include "platform/operands.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

PathKind path_kind(const char* path, bool follow_links) {
  struct stat status {};
  if ((follow_links ? ::stat(path, &status) : ::lstat(path, &status)) != 0)
    return errno == ENOENT ? PathKind::absent : PathKind::other;
  return S_ISDIR(status.st_mode) ? PathKind::directory : PathKind::other;
}

std::string path_within(const std::string& directory, const std::string& name) {
  std::size_t end = directory.size();
  while (end > 0 && directory[end - 1] == '/') --end;
  return directory.substr(0, end) + "/" + name;
}

std::string last_component(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool standard_output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

std::size_t standard_output_columns() {
  struct winsize size {};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

}  // namespace platform
