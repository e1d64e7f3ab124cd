// Reading whole files and their modification times on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/operands.h"
#include "platform/platform.h"
#include "platform/posix/descriptor.h"

namespace platform {

namespace {

using posix::Descriptor;

// Reads grow the buffer by at least this much when the size is not known in
// advance (pipes, terminals) or turns out too small (a growing file).
constexpr std::size_t min_growth = std::size_t{64} * 1024;

ReadOutcome failure(int error) { return ReadOutcome{std::nullopt, std::strerror(error)}; }

LocalTime local_time(const timespec& moment) {
  std::tm parts{};
  ::localtime_r(&moment.tv_sec, &parts);
  return LocalTime{parts.tm_year + 1900,
                   parts.tm_mon + 1,
                   parts.tm_mday,
                   parts.tm_hour,
                   parts.tm_min,
                   parts.tm_sec,
                   static_cast<int>(moment.tv_nsec),
                   static_cast<int>(parts.tm_gmtoff / 60)};
}

LocalTime now() {
  timespec moment{};
  ::clock_gettime(CLOCK_REALTIME, &moment);
  return local_time(moment);
}

// Reads fd to its end into bytes. expected_size is a hint (0 when unknown);
// one byte more is asked for, so that reaching the end needs no second buffer.
// Returns 0, or the errno of the failed read.
int read_to_end(int fd, std::size_t expected_size, std::string& bytes) {
  bytes.resize(expected_size + 1 > min_growth ? expected_size + 1 : min_growth);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() + std::max(bytes.size(), min_growth));
    const ssize_t count = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    filled += static_cast<std::size_t>(count);
  }
  bytes.resize(filled);
  return 0;
}

}  // namespace

ReadOutcome read_whole_file_at(const char* path) {
  const Descriptor file(::open(path, O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return failure(errno);
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) return failure(errno);
  if (S_ISDIR(status.st_mode)) return failure(EISDIR);

  FileContents contents{{}, local_time(status.st_mtim)};
  const std::size_t expected =
      S_ISREG(status.st_mode) ? static_cast<std::size_t>(status.st_size) : 0;
  if (const int error = read_to_end(file.get(), expected, contents.bytes); error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

LocalTime epoch_local_time() { return local_time(timespec{}); }

ReadOutcome read_standard_input() {
  FileContents contents{{}, now()};
  struct stat status {};
  const std::size_t expected = ::fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode)
                                   ? static_cast<std::size_t>(status.st_size)
                                   : 0;
  if (const int error = read_to_end(STDIN_FILENO, expected, contents.bytes); error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

}  // namespace platform
