#include "platform/windows/child_end.h"

#include <cstdio>

namespace platform::win32 {

namespace {

constexpr DWORD severity_bits = 0xC0000000;
constexpr DWORD error_severity = 0xC0000000;
constexpr DWORD reserved_bit = 0x10000000;

}  // namespace

bool is_exception_status(DWORD code) {
  return (code & severity_bits) == error_severity && (code & reserved_bit) == 0;
}

ChildEnd classify_end(DWORD code, bool console_event_noted, DWORD highest_success_status) {
  if (console_event_noted || code == static_cast<DWORD>(STATUS_CONTROL_C_EXIT)) {
    return ChildEnd::interrupted;
  }
  if (is_exception_status(code)) return ChildEnd::exception;
  // Compared unsigned: a code from 0x80000000 is no success, though negative as an int.
  return code <= highest_success_status ? ChildEnd::success : ChildEnd::failure_status;
}

std::string describe_exception_end(DWORD code) {
  char reason[48];
  std::snprintf(reason, sizeof reason, "ended by exception 0x%08lX",
                static_cast<unsigned long>(code));
  return reason;
}

}  // namespace platform::win32
