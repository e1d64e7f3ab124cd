// Reading whole files and their modification times on Windows. Files are read
// through the C runtime's descriptors in binary mode, so no newline
// translation happens and failures are told in the runtime's words, as on
// POSIX systems; times come from the system, in its 100 ns ticks.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/operands.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Reads grow the buffer by at least this much when the size is not known in
// advance (pipes, consoles) or turns out too small (a growing file).
constexpr std::size_t min_growth = 64 * 1024;

// One _read call takes a count that fits an int.
constexpr std::size_t max_read = 1 << 30;

constexpr std::int64_t ticks_per_second = 10'000'000;  // FILETIME counts 100 ns ticks
constexpr std::int64_t ticks_per_minute = 60 * ticks_per_second;

ReadOutcome failure(int error) { return ReadOutcome{std::nullopt, std::strerror(error)}; }

std::int64_t ticks_of(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// A moment as the local calendar shows it, with the offset from UTC that the
// time zone's rules give for that moment.
LocalTime local_time(const FILETIME& utc) {
  SYSTEMTIME utc_parts{};
  SYSTEMTIME local_parts{};
  ::FileTimeToSystemTime(&utc, &utc_parts);
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc_parts, &local_parts)) {
    local_parts = utc_parts;
  }
  // Both calendar times hold whole milliseconds, so they differ by whole minutes.
  FILETIME utc_again{};
  FILETIME local{};
  ::SystemTimeToFileTime(&utc_parts, &utc_again);
  ::SystemTimeToFileTime(&local_parts, &local);
  return LocalTime{local_parts.wYear,
                   local_parts.wMonth,
                   local_parts.wDay,
                   local_parts.wHour,
                   local_parts.wMinute,
                   local_parts.wSecond,
                   static_cast<int>(ticks_of(utc) % ticks_per_second * 100),
                   static_cast<int>((ticks_of(local) - ticks_of(utc_again)) / ticks_per_minute)};
}

LocalTime now() {
  FILETIME moment{};
  ::GetSystemTimeAsFileTime(&moment);
  return local_time(moment);
}

// Reads the descriptor to its end into bytes. expected_size is a hint (0 when
// unknown); one byte more is asked for, so that reaching the end needs no
// second buffer. Returns 0, or the errno of the failed read.
int read_to_end(int fd, std::size_t expected_size, std::string& bytes) {
  bytes.resize(std::max(expected_size + 1, min_growth));
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() + std::max(bytes.size(), min_growth));
    const auto wanted = static_cast<unsigned>(std::min(bytes.size() - filled, max_read));
    const int count = ::_read(fd, bytes.data() + filled, wanted);
    if (count == 0) break;
    if (count < 0) return errno;
    filled += static_cast<std::size_t>(count);
  }
  bytes.resize(filled);
  return 0;
}

// The size of a regular file behind the descriptor, or 0 for anything else.
std::size_t expected_size(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  LARGE_INTEGER size{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) return 0;
  return static_cast<std::size_t>(size.QuadPart);
}

// When the file behind the descriptor was last modified. A character device
// such as NUL keeps no time; like standard input, its time is the moment of
// reading.
std::optional<LocalTime> modification_time(int fd) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (::GetFileType(handle) == FILE_TYPE_CHAR) return now();
  FILETIME modified{};
  if (!::GetFileTime(handle, nullptr, nullptr, &modified)) return std::nullopt;
  return local_time(modified);
}

// Closes a C runtime descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::_close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

// Names are paths as they stand.
ReadOutcome read_whole_file_at(const char* path) {
  // The runtime refuses to open a directory with "Permission denied"; say
  // what it is instead.
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return failure(EISDIR);
  }
  const Descriptor file(::_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT));
  if (file.get() < 0) return failure(errno);
  const std::optional<LocalTime> modified = modification_time(file.get());
  if (!modified) return failure(EIO);
  FileContents contents{{}, *modified};
  if (const int error = read_to_end(file.get(), expected_size(file.get()), contents.bytes);
      error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

LocalTime epoch_local_time() {
  // 1970-01-01 in 100 ns ticks since 1601-01-01.
  constexpr std::uint64_t epoch_ticks = 116444736000000000ULL;
  FILETIME epoch{};
  epoch.dwLowDateTime = static_cast<DWORD>(epoch_ticks);
  epoch.dwHighDateTime = static_cast<DWORD>(epoch_ticks >> 32);
  return local_time(epoch);
}

ReadOutcome read_standard_input() {
  FileContents contents{{}, now()};
  const int input = ::_fileno(stdin);
  ::_setmode(input, _O_BINARY);
  if (const int error = read_to_end(input, expected_size(input), contents.bytes); error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

}  // namespace platform
