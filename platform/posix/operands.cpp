// ralu's operands on POSIX systems.
#include "platform/operands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

PathKind path_kind(const char* path) {
  struct stat status {};
  if (::stat(path, &status) != 0) return errno == ENOENT ? PathKind::absent : PathKind::other;
  return S_ISDIR(status.st_mode) ? PathKind::directory : PathKind::other;
}

std::string path_in_directory(const std::string& directory, const std::string& file) {
  const std::size_t slash = file.find_last_of('/');
  const std::string last = slash == std::string::npos ? file : file.substr(slash + 1);
  if (!directory.empty() && directory.back() == '/') return directory + last;
  return directory + '/' + last;
}

bool standard_output_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

}  // namespace platform
