// Reading ralu's inputs on Windows: regular files by offset and through
// read-only file mappings, anything else to its end through the C runtime's
// descriptors in binary mode, so no newline translation happens and failures
// are told in the runtime's words, as on POSIX systems; times come from the
// system, in its 100 ns ticks.
#include "platform/input_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/mapping_guard.h"
#include "platform/operands.h"
#include "platform/platform.h"
#include "platform/windows/win32.h"

namespace platform {

// Windows reads ahead on its own for views read in order; there is no
// advice to give.
void MappedBytes::expect_one_pass() const {}

namespace {

// Reads grow the buffer by at least this much when the size is not known in
// advance (pipes, consoles) or turns out too small (a growing file).
constexpr std::size_t min_growth = 64 * 1024;
// The first room for a file whose size says nothing: an empty file of a
// tree, most often, or a small one of /proc.
constexpr std::size_t unknown_size_room = std::size_t{4} * 1024;

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
  // The room is zeroed as it is made: a tree's small files each read into
  // room for what they hold, or zeroing costs more than reading them.
  bytes.resize(expected_size > 0 ? expected_size + 1 : unknown_size_room);
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

// Windows names no preferred block size for reads; a page is what GNU diff
// built there takes.
constexpr std::size_t first_block = 4096;

HANDLE handle_of(std::intptr_t fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(static_cast<int>(fd)));
}

// An in-page error inside a guarded mapping means its file lost the bytes
// being read (or the disk failed): say so and exit. Any other exception is
// left to whoever handles it next.
LONG CALLBACK on_exception(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  if (record.ExceptionCode != EXCEPTION_IN_PAGE_ERROR || record.NumberParameters < 2) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  const auto* address = reinterpret_cast<const void*>(record.ExceptionInformation[1]);
  const std::string* message = mapping_guard::message_for(address);
  if (message == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), message->data(),
              static_cast<DWORD>(message->size()), &written, nullptr);
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(mapping_guard::status()));
  return EXCEPTION_CONTINUE_SEARCH;
}

std::uint64_t allocation_granularity() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return info.dwAllocationGranularity;
}

}  // namespace

void mapping_guard::install_handler() {
  static const bool installed = ::AddVectoredExceptionHandler(1, on_exception) != nullptr;
  static_cast<void>(installed);
}

void mapping_guard::unmap_view(void* base, std::size_t /*length*/) { ::UnmapViewOfFile(base); }

// Names are paths as they stand. Files are opened through the C runtime, so
// that failures are told in its words, as on POSIX systems.
std::optional<InputFile> InputFile::open(const char* path, std::string& failure) {
  // The runtime refuses to open a directory with "Permission denied"; say
  // what it is instead.
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    failure = std::strerror(EISDIR);
    return std::nullopt;
  }
  const int fd = ::_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  const HANDLE handle = handle_of(fd);
  FILETIME modified{};
  if (!::GetFileTime(handle, nullptr, nullptr, &modified)) {
    ::GetSystemTimeAsFileTime(&modified);  // a device or a pipe has no time of its own
  }
  LARGE_INTEGER size{};
  const bool regular = ::GetFileType(handle) == FILE_TYPE_DISK && ::GetFileSizeEx(handle, &size);
  return InputFile(fd, regular, regular ? static_cast<std::uint64_t>(size.QuadPart) : 0,
                   local_time(modified), first_block);
}

std::optional<InputFile> InputFile::standard_input(std::string& failure) {
  const int input = ::_fileno(stdin);
  ::_setmode(input, _O_BINARY);
  const int fd = ::_dup(input);
  if (fd < 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  return InputFile(fd, false, 0, now(), first_block);
}

std::optional<InputFile> InputFile::open_known(const char* path, const EntryStatus& known,
                                               std::string& failure) {
  const int fd = ::_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  FILETIME modified{};
  modified.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(known.modified));
  modified.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(known.modified) >> 32);
  return InputFile(fd, true, known.size, local_time(modified), first_block);
}

InputFile::~InputFile() {
  if (handle_ >= 0) ::_close(static_cast<int>(handle_));
}

std::int64_t InputFile::read_at(std::uint64_t offset, std::span<char> into,
                                std::string& failure) const {
  std::size_t filled = 0;
  while (filled < into.size()) {
    OVERLAPPED at{};
    const std::uint64_t position = offset + filled;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const auto wanted = static_cast<DWORD>(std::min(into.size() - filled, max_read));
    DWORD count = 0;
    if (!::ReadFile(handle_of(handle_), into.data() + filled, wanted, &count, &at)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      failure = win32::system_message(error);
      return -1;
    }
    if (count == 0) break;
    filled += count;
  }
  return static_cast<std::int64_t>(filled);
}

InputFile::Mapping InputFile::map(std::uint64_t offset, std::size_t length,
                                  std::string fault_message) const {
  if (length == 0) return {MappedBytes(), {}};
  static const std::uint64_t granularity = allocation_granularity();
  const std::uint64_t aligned = offset / granularity * granularity;
  const auto skip = static_cast<std::size_t>(offset - aligned);
  const win32::Handle mapping(
      ::CreateFileMappingA(handle_of(handle_), nullptr, PAGE_READONLY, 0, 0, nullptr));
  void* base = mapping.valid() ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ,
                                                 static_cast<DWORD>(aligned >> 32),
                                                 static_cast<DWORD>(aligned), length + skip)
                               : nullptr;
  if (base == nullptr) {
    const DWORD error = ::GetLastError();
    return {std::nullopt, win32::system_message(error),
            error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_COMMITMENT_LIMIT};
  }
  return {MappedBytes(base, length + skip, skip, std::move(fault_message)), {}};
}

ReadOutcome InputFile::read_to_end() const {
  FileContents contents{{}, modified_};
  if (const int error =
          platform::read_to_end(static_cast<int>(handle_), size_hint(), contents.bytes);
      error != 0) {
    return failure(error);
  }
  return ReadOutcome{std::move(contents), {}};
}

std::int64_t InputFile::read_next(std::span<char> into, std::string& failure) const {
  std::size_t filled = 0;
  while (filled < into.size()) {
    const auto wanted = static_cast<unsigned>(std::min(into.size() - filled, max_read));
    const int count = ::_read(static_cast<int>(handle_), into.data() + filled, wanted);
    if (count == 0) break;
    if (count < 0) {
      failure = std::strerror(errno);
      return -1;
    }
    filled += static_cast<std::size_t>(count);
  }
  return static_cast<std::int64_t>(filled);
}

std::optional<std::uint64_t> InputFile::size_now() const {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(handle_of(handle_), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
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
