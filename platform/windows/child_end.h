// How a child program ended, told from its exit code on Windows. A process
// ends with any 32-bit code: one it chose (0, 1, 2, or -1, which reads as
// 0xFFFFFFFF), or the NTSTATUS of the exception that killed it (0xC0000005
// for an access violation), or STATUS_CONTROL_C_EXIT when Ctrl-C or
// Ctrl-Break ended it.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

enum class ChildEnd {
  success,         // a status the caller takes for success
  failure_status,  // a status of its own choosing that is not one of those
  exception,       // an exception status: the program crashed
  interrupted,     // a console control event ended it, or reached this process
};

// True for an NTSTATUS of error severity (the top two bits set) whose
// reserved bit (0x10000000) is clear: 0xC....... from the system, 0xE.......
// from a program's own exceptions. -1 and the other small negative numbers a
// program may return (0xF.......) have that bit set, and are plain statuses.
bool is_exception_status(DWORD code);

// How a child that exited with code ended. Once a console control event has
// reached this process the end counts as an interrupt, whatever the code:
// under Wine a program ended by Ctrl-C may exit with 0, and its output is cut
// off all the same.
ChildEnd classify_end(DWORD code, bool console_event_noted, DWORD highest_success_status);

// "ended by exception 0xC0000005".
std::string describe_exception_end(DWORD code);

}  // namespace platform::win32
