// Pieces of the Windows layer that the Windows test support shares: an owned
// handle, the system's words for an error, and the command line that gives a
// child its arguments back unchanged.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::win32 {

// Closes a kernel handle when it goes out of scope.
class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept : handle_(other.release()) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.release();
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE release() {
    const HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void reset() {
    if (valid()) ::CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// The system's description of an error code, on one line. Some descriptions
// hold inserts ("%1 is not a valid Win32 application"); each is filled with
// subject, the file the error is about, or left out when none is given.
std::string system_message(DWORD error, std::string_view subject = {});

// A description that the system gave with its inserts (%1 to %99, each maybe
// with a !format! after it) unfilled, with subject in their place.
std::string filled_inserts(std::string_view text, std::string_view subject);

// One argument as it must stand on a command line so that the C runtime's
// parsing in the child gives back exactly its bytes: blanks, double quotes and
// backslashes included, also under a double-byte code page.
std::string quote_argument(std::string_view argument);

// The whole command line for CreateProcess: the program, then each argument.
std::string command_line(const std::string& program, const std::vector<std::string>& arguments);

// An inheritable handle of a file opened with the given access and
// disposition, shared for reading and writing; invalid on failure.
Handle open_inheritable(const char* name, DWORD access, DWORD disposition);

// An inheritable copy of this process's standard handle (STD_INPUT_HANDLE,
// STD_ERROR_HANDLE, ...), or an invalid handle when there is none.
Handle inheritable_standard_handle(DWORD which);

// Startup information that gives a child these standard handles, which must
// be inheritable (or null for none).
STARTUPINFOA startup_with_handles(HANDLE input, HANDLE output, HANDLE error);

// Waits for a started process to end; its exit code, or nothing when the
// wait itself failed.
std::optional<DWORD> wait_for_exit(HANDLE process);

}  // namespace platform::win32
