// Reading ralu's inputs on POSIX systems: regular files by offset and by
// read-only mappings, anything else to its end, and modification times.
#include "platform/input_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <utility>

#include "platform/mapping_guard.h"
#include "platform/operands.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Reads grow the buffer by at least this much when the size is not known in
// advance (pipes, terminals) or turns out too small (a growing file).
constexpr std::size_t min_growth = std::size_t{64} * 1024;
// The first room for a file whose size says nothing: an empty file of a
// tree, most often, or a small one of /proc.
constexpr std::size_t unknown_size_room = std::size_t{4} * 1024;

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
  // The room is zeroed as it is made: a tree's small files each read into
  // room for what they hold, or zeroing costs more than reading them.
  bytes.resize(expected_size > 0 ? expected_size + 1 : unknown_size_room);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() + std::max(bytes.size(), min_growth));
    const ssize_t count = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    const bool short_read = static_cast<std::size_t>(count) < bytes.size() - filled;
    filled += static_cast<std::size_t>(count);
    // Short, with all its file was said to hold: the end (see fill).
    if (short_read && expected_size > 0 && filled >= expected_size) break;
  }
  bytes.resize(filled);
  return 0;
}

// A bus error inside a guarded mapping means its file lost the bytes being
// read: say so and exit. Any other is a fault of the program, and the
// default action takes it.
void on_bus_error(int signal, siginfo_t* info, void* /*context*/) {
  if (const std::string* message = mapping_guard::message_for(info->si_addr)) {
    const ssize_t ignored = ::write(STDERR_FILENO, message->data(), message->size());
    static_cast<void>(ignored);
    ::_exit(mapping_guard::status());
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

long page_size() {
  static const long size = ::sysconf(_SC_PAGESIZE);
  return size;
}

int fd_of(std::intptr_t handle) { return static_cast<int>(handle); }

std::uint64_t preferred_block_of(const struct stat& status) {
  return status.st_blksize > 0 ? static_cast<std::uint64_t>(status.st_blksize) : 0;
}

// The block a reader takes at a time: the size the system prefers, made a
// whole number of machine words, as GNU diff takes it; where the system
// names none, a disk block of 512 bytes.
std::size_t block_size_of(std::uint64_t preferred_block) {
  const auto preferred = static_cast<std::size_t>(preferred_block > 0 ? preferred_block : 512);
  std::size_t common = preferred;
  for (std::size_t other = sizeof(void*); other != 0;) {
    const std::size_t rest = common % other;
    common = other;
    other = rest;
  }
  return preferred / common * sizeof(void*);
}

// Fills `into` from a read that gives some bytes at a time (`read_some`, as
// read or pread would), until it is full or the input ends; the bytes read,
// or -1 with the system's words in failure. A read that comes back short
// once `enough` bytes are in has found the end of a regular file as large as
// it was opened: asking again only to be told so would be a system call for
// every file of a tree.
template <class ReadSome>
std::int64_t fill(std::span<char> into, std::string& failure, ReadSome read_some,
                  std::size_t enough = static_cast<std::size_t>(-1)) {
  std::size_t filled = 0;
  while (filled < into.size()) {
    const std::size_t wanted = into.size() - filled;
    const ssize_t count = read_some(into.data() + filled, wanted, filled);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      failure = std::strerror(errno);
      return -1;
    }
    filled += static_cast<std::size_t>(count);
    if (static_cast<std::size_t>(count) < wanted && filled >= enough) break;
  }
  return static_cast<std::int64_t>(filled);
}

}  // namespace

void mapping_guard::install_handler() {
  static const bool installed = [] {
    struct sigaction action {};
    action.sa_sigaction = on_bus_error;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return ::sigaction(SIGBUS, &action, nullptr) == 0;
  }();
  static_cast<void>(installed);
}

void mapping_guard::unmap_view(void* base, std::size_t length) { ::munmap(base, length); }

std::optional<InputFile> InputFile::open(const char* path, std::string& failure) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  struct stat status {};
  int error = ::fstat(fd, &status) != 0 ? errno : 0;
  if (error == 0 && S_ISDIR(status.st_mode)) error = EISDIR;
  if (error != 0) {
    ::close(fd);
    failure = std::strerror(error);
    return std::nullopt;
  }
  const bool regular = S_ISREG(status.st_mode);
  return InputFile(fd, regular, regular ? static_cast<std::uint64_t>(status.st_size) : 0,
                   local_time(status.st_mtim), block_size_of(preferred_block_of(status)));
}

std::optional<InputFile> InputFile::standard_input(std::string& failure) {
  const int fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0) {
    failure = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return std::nullopt;
  }
  return InputFile(fd, false, 0, now(), block_size_of(preferred_block_of(status)));
}

std::optional<InputFile> InputFile::open_known(const char* path, const EntryStatus& known,
                                               std::string& failure) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  constexpr std::int64_t nanoseconds = 1'000'000'000;
  timespec modified{};
  modified.tv_sec = static_cast<time_t>(known.modified / nanoseconds);
  modified.tv_nsec = static_cast<long>(known.modified % nanoseconds);
  if (modified.tv_nsec < 0) {  // before 1970
    modified.tv_nsec += nanoseconds;
    --modified.tv_sec;
  }
  return InputFile(fd, true, known.size, local_time(modified),
                   block_size_of(known.preferred_block));
}

InputFile::~InputFile() {
  if (handle_ >= 0) ::close(fd_of(handle_));
}

std::int64_t InputFile::read_at(std::uint64_t offset, std::span<char> into,
                                std::string& failure) const {
  // Bytes up to the size the file was opened with are there to be read.
  const std::size_t enough = regular_ && offset < size_ ? static_cast<std::size_t>(size_ - offset)
                                                        : static_cast<std::size_t>(-1);
  return fill(
      into, failure,
      [&](char* to, std::size_t length, std::size_t filled) {
        return ::pread(fd_of(handle_), to, length, static_cast<off_t>(offset + filled));
      },
      enough);
}

void MappedBytes::expect_one_pass() const {
  if (base_ != nullptr) ::madvise(base_, base_length_, MADV_SEQUENTIAL);  // only advice
}

InputFile::Mapping InputFile::map(std::uint64_t offset, std::size_t length,
                                  std::string fault_message) const {
  if (length == 0) return {MappedBytes(), {}};
  const auto page = static_cast<std::uint64_t>(page_size());
  const std::uint64_t aligned = offset / page * page;
  const std::size_t skip = static_cast<std::size_t>(offset - aligned);
  void* base = ::mmap(nullptr, length + skip, PROT_READ, MAP_PRIVATE, fd_of(handle_),
                      static_cast<off_t>(aligned));
  if (base == MAP_FAILED) return {std::nullopt, std::strerror(errno), errno == ENOMEM};
  return {MappedBytes(base, length + skip, skip, std::move(fault_message)), {}};
}

ReadOutcome InputFile::read_to_end() const {
  FileContents contents{{}, modified_};
  if (const int error = platform::read_to_end(fd_of(handle_), size_hint(), contents.bytes);
      error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

std::int64_t InputFile::read_next(std::span<char> into, std::string& failure) const {
  return fill(into, failure, [&](char* to, std::size_t length, std::size_t /*filled*/) {
    return ::read(fd_of(handle_), to, length);
  });
}

std::optional<std::uint64_t> InputFile::size_now() const {
  struct stat status {};
  if (::fstat(fd_of(handle_), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
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
