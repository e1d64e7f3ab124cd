// Drops the pages of files from the page cache, so that the next read of
// them comes from the disk, as on a machine with too little memory to keep
// them:
//
//   drop_pages FILE...
//
// The kernel drops only clean pages, so pages still waiting to be written
// (a file just made has them) are written out first; for a file that is
// already on the disk that costs nothing. Pages that a running process maps
// stay. Exits with 0 once every file is dropped, and with 2 when a file
// cannot be opened, written out or dropped (after trying the others).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Drops one file's pages; false, with a message, when that fails.
bool drop(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "drop_pages: %s: cannot open: %s\n", path, std::strerror(errno));
    return false;
  }
  bool dropped = true;
  if (fdatasync(fd) != 0) {
    std::fprintf(stderr, "drop_pages: %s: cannot write out: %s\n", path, std::strerror(errno));
    dropped = false;
  }
  // posix_fadvise returns its error rather than setting errno.
  if (const int error = posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED); error != 0) {
    std::fprintf(stderr, "drop_pages: %s: cannot drop pages: %s\n", path, std::strerror(error));
    dropped = false;
  }
  close(fd);
  return dropped;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: drop_pages FILE...\n", stderr);
    return 2;
  }
  bool all_dropped = true;
  for (int arg = 1; arg < argc; ++arg) {
    if (!drop(argv[arg])) all_dropped = false;
  }
  return all_dropped ? 0 : 2;
}
