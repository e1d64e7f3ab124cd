// What the tests need to know about the system they run on, where Windows and
// POSIX systems differ in ways the commands cannot hide.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// True where a directory opens for reading like a file (POSIX systems). On
// Windows it does not, so kevo reports a directory operand as not found.
bool directories_open_for_reading();

// Standard output and standard error of a Windows console program are in text
// mode and end lines with CR LF; this folds them back to LF. Elsewhere the
// text is returned unchanged, so a stray CR still shows.
std::string fold_line_ends(std::string text);

// Why file names holding Shift-JIS double-byte characters cannot be used here,
// or empty when they can. POSIX names are plain bytes; Windows reads ANSI
// names in its ANSI code page, which must then be 932.
std::string why_shift_jis_names_cannot_work();

// True when the system allows a file name of these bytes. Windows refuses
// control characters and <>:"/\\|?*, POSIX systems only '/' and NUL.
bool file_names_may_hold(const std::string& name);

// Takes away the permissions that let this user read the file, so that
// opening it fails. Returns why that cannot be done here, or empty when done.
std::string make_unreadable(const std::string& path);

// An ordinary user, for what permissions do not stop root from doing: this
// process's own user when it is not root, else nobody by way of setpriv.
struct OrdinaryUser {
  std::vector<std::string> runner;  // the program and arguments to put before a command;
                                    // empty: run it as this process
  long long uid = -1;               // the user to give files to; -1: leave them
  long long gid = -1;
  std::string why_not;  // non-empty when no such user can be had here
};
OrdinaryUser ordinary_user();

// Gives a file or folder to the user, with these permission bits.
void give_to(const OrdinaryUser& user, const std::string& path, unsigned mode);

// The permission bits of a file and its group (lstat), or -1 each where the
// system has none.
long long permission_bits_of(const std::string& path);
long long group_of(const std::string& path);

// The name of a device that opens, reads as empty and has a file status of
// size 0: /dev/null, or NUL on Windows.
std::string null_device_name();

// Keeps every other opener out of a file while it lives, where the system
// can (Windows: a handle that shares nothing). why_not() says why it cannot
// where it cannot (POSIX has no such lock).
class ExclusiveHold {
 public:
  explicit ExclusiveHold(const std::string& path);
  ~ExclusiveHold();
  ExclusiveHold(const ExclusiveHold&) = delete;
  ExclusiveHold& operator=(const ExclusiveHold&) = delete;
  const std::string& why_not() const { return why_not_; }

 private:
  void* handle_ = nullptr;
  std::string why_not_;
};

// The name of a device that reads without end (/dev/zero), or empty where
// there is none that kevo can open as such.
std::string endless_device_name();

// The name of the device that drops whatever is written to it: /dev/null or NUL.
std::string discarding_device_name();

// The name of a device on which every write fails for want of space
// (/dev/full), or empty where there is none.
std::string full_device_name();

// The separator in the paths that kevo opens and hands on: '/' on POSIX,
// where kevo turns a separating backslash into it, '\\' on Windows.
char path_separator();

// True where kevo -usage writes its code page 932 help text as UTF-8 in a
// UTF-8 locale (POSIX); false where it always writes the bytes (Windows).
bool help_follows_the_locale();

// A PATH=... environment entry that lists these folders.
std::string path_variable(const std::vector<std::string>& folders);

// The system's words for a file that cannot be created because its folder
// does not exist.
std::string missing_folder_reason();

// The system's words for a file that cannot be created because a file stands
// where its folder should be.
std::string not_a_folder_reason();

// Why names of more than 260 bytes cannot be used here, or empty when they
// can. The ANSI file functions of Windows stop at MAX_PATH.
std::string why_long_names_cannot_work();

// Why a TZ variable given to a child does not set its time zone here, or empty
// when it does. Under Wine a Windows program takes its zone from the whole
// session (the windows test preset runs it in UTC).
std::string why_child_time_zone_cannot_be_set();

// Code page 932 bytes as UTF-8, or a text in angle brackets that says why not.
std::string cp932_to_utf8(const std::string& bytes);

}  // namespace test_support
