// The Windows layer's own decisions, on values that Wine cannot make a real
// program produce: how a child's exit code reads, the inserts of the system's
// messages, and where a code page 932 path separates its folders.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/windows/child_end.h"
#include "platform/windows/path_separators.h"
#include "platform/windows/win32.h"

namespace {

using platform::win32::ChildEnd;

TEST(PlatformWindows, ExitCodesReadAsStatusesExceptionsOrInterrupts) {
  struct Case {
    DWORD code;
    bool event_noted;  // a console control event reached this process
    ChildEnd expected;
  };
  const std::vector<Case> cases = {
      {0, false, ChildEnd::success},
      {1, false, ChildEnd::success},
      {2, false, ChildEnd::failure_status},
      {0xFFFFFFFF, false, ChildEnd::failure_status},  // exit(-1)
      {0xF0000000, false, ChildEnd::failure_status},  // a large negative status
      {0xDEADBEEF, false, ChildEnd::failure_status},  // the reserved bit is set
      {0x80000003, false, ChildEnd::failure_status},  // a warning, no error severity
      {0xC0000005, false, ChildEnd::exception},       // access violation
      {0xC00000FD, false, ChildEnd::exception},       // stack overflow
      {0xC0000409, false, ChildEnd::exception},       // a fast fail
      {0xE06D7363, false, ChildEnd::exception},       // a C++ exception of another runtime
      {0xC000013A, false, ChildEnd::interrupted},     // STATUS_CONTROL_C_EXIT
      // Under Wine a program ended by Ctrl-C exits with 0; Windows gives
      // taskkill's 1. Once the event was seen here, neither is a success.
      {0, true, ChildEnd::interrupted},
      {1, true, ChildEnd::interrupted},
      {0xC0000005, true, ChildEnd::interrupted},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::win32::classify_end(c.code, c.event_noted, 1), c.expected)
        << std::hex << c.code << (c.event_noted ? " after an event" : "");
  }
  EXPECT_EQ(platform::win32::describe_exception_end(0xC0000005), "ended by exception 0xC0000005");
}

TEST(PlatformWindows, InsertsAreFilledWithTheSubject) {
  struct Case {
    std::string text;
    std::string subject;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Bad EXE format for %1.", "C:\\t\\ralu.exe", "Bad EXE format for C:\\t\\ralu.exe."},
      {"%1 \x82\xcc EXE", "x.exe", "x.exe \x82\xcc EXE"},
      {"%1 and %2!s! and %12", "f", "f and f and f"},
      {"no insert, 100%", "f", "no insert, 100%"},
      {"%0 ends", "f", "%0 ends"},
      {"Bad EXE format for %1.", "", "Bad EXE format for ."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::win32::filled_inserts(c.text, c.subject), c.expected) << c.text;
  }
  const std::string message = platform::win32::system_message(ERROR_BAD_EXE_FORMAT, "x.exe");
  EXPECT_EQ(message.find('%'), std::string::npos) << message;
}

TEST(PlatformWindows, TheBackslashByteOfADoubleByteCharacterSeparatesNothing) {
  struct Case {
    std::string path;
    std::size_t last;  // the last separator's position
  };
  const std::size_t none = std::string::npos;
  const std::vector<Case> cases = {
      {"t1", none},
      {"t1\\", 2},
      {"t1/", 2},
      {"t1\\\x95\x5c", 2},          // t1\表
      {"t1/\x83\x5c", 2},           // t1/ソ
      {"t1/\x95\x5c\\", 5},         // t1/表\ .
      {"\x95\x5c/x\\\x94\x5c", 4},  // 表/x\能
      {"a\\b/c", 3},
      {"a/b\\c", 3},
      {"\x95", none},  // a lead byte at the end stands alone
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::win32::last_separator(c.path), c.last) << c.path;
    EXPECT_EQ(platform::win32::ends_in_separator(c.path),
              c.last != none && c.last == c.path.size() - 1)
        << c.path;
  }
}

}  // namespace
