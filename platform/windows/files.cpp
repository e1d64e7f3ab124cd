// Files on Windows. Names are code page bytes that the system's ANSI functions
// take as they are; the system itself splits them at backslashes, aware of
// double-byte characters when the code page has them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/platform.h"

namespace platform {

std::string native_name(const char* name) { return name; }

std::string name_as_argument(const char* name) {
  return name[0] == '-' ? std::string(".\\") + name : std::string(name);
}

std::string cp932_for_terminal(std::string_view text) { return std::string(text); }

void binary_standard_output() {
  std::fflush(stdout);
  ::_setmode(::_fileno(stdout), _O_BINARY);
}

namespace {

// Runs on a thread of its own that the system starts for the event. The
// process is ended at once rather than exited: an exit flushes the C
// runtime's streams, whose locks the interrupted thread may hold, and what
// it wrote so far is no whole report anyway.
BOOL WINAPI end_on_console_event(DWORD /*event*/) {
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
  return TRUE;
}

bool is_closed_pipe_error(DWORD error) {
  return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE;
}

}  // namespace

// The C runtime keeps the system's error of its last failed call; a write of
// no bytes asks the pipe again, in case anything came between.
void interrupts_end_as_interrupted() { ::SetConsoleCtrlHandler(end_on_console_event, TRUE); }

bool standard_output_pipe_closed() {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  if (::GetFileType(output) != FILE_TYPE_PIPE) return false;
  if (is_closed_pipe_error(static_cast<DWORD>(_doserrno))) return true;
  DWORD written = 0;
  return ::WriteFile(output, "", 0, &written, nullptr) == 0 &&
         is_closed_pipe_error(::GetLastError());
}

std::FILE* open_for_reading(const char* name) { return std::fopen(name, "rb"); }

// The status comes from the handle that was opened, which is what is read,
// not from the name: a pipe (\\.\pipe\x) and a device such as NUL name no
// file on a disk, and some C runtimes' _stat64 refuses a name that ends in
// 0x5C before reading it, even when that byte is the second half of a
// double-byte character such as 0x95 0x5C. A character device (NUL, CON) has
// no contents in store: it is an empty file, as /dev/null is on POSIX.
std::optional<FileStatus> file_status(const char*, std::FILE* opened) {
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(opened)));
  FileStatus status;
  switch (::GetFileType(handle)) {
    case FILE_TYPE_PIPE:
      status.is_pipe = true;
      return status;
    case FILE_TYPE_CHAR:
      return status;
    default:
      break;
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(handle, &information)) return std::nullopt;
  const std::uint64_t size =
      (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  status.is_directory = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.size = static_cast<std::int64_t>(size);
  status.size_is_content = !status.is_directory && size > 0;
  status.identity =
      FileIdentity{information.dwVolumeSerialNumber,
                   (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
  return status;
}

// A name that the system cannot even look at for want of rights, or because
// another program holds the file, still names something.
bool entry_exists(const char* name) {
  if (::GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

}  // namespace platform
