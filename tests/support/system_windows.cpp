// The system facts of test_support on Windows.
#include <windows.h>

#include <stdexcept>

#include "platform/windows/win32.h"
#include "tests/support/system.h"
#include "tests/support/temp_dir.h"

namespace test_support {

namespace {

constexpr UINT shift_jis_code_page = 932;

// Converts between a code page and UTF-16; empty on failure.
std::wstring to_utf16(UINT code_page, const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length =
      ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

std::string to_utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

}  // namespace

bool directories_open_for_reading() { return false; }

std::string fold_line_ends(std::string text) {
  std::string folded;
  folded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    folded += text[i];
  }
  return folded;
}

std::string why_shift_jis_names_cannot_work() {
  const UINT code_page = ::GetACP();
  if (code_page == shift_jis_code_page) return {};
  return "the ANSI code page is " + std::to_string(code_page) +
         ", not 932; under Wine run with a Japanese locale (LANG=ja_JP.UTF-8)";
}

// Steps through the name as the ANSI code page splits it: the second byte of a
// double-byte character, such as 0x5C in 0x95 0x5C under code page 932, is
// no character of its own.
bool file_names_may_hold(const std::string& name) {
  const std::string forbidden = "<>:\"/\\|?*";
  for (const char* at = name.c_str(); *at != '\0'; at = ::CharNextA(at)) {
    if (::IsDBCSLeadByte(static_cast<BYTE>(*at))) continue;
    if (static_cast<unsigned char>(*at) < 0x20 || forbidden.find(*at) != std::string::npos) {
      return false;
    }
  }
  return true;
}

std::string make_unreadable(const std::string&) {
  return "Windows files carry no permission bits that a test can take away from their owner";
}

OrdinaryUser ordinary_user() {
  OrdinaryUser user;
  user.why_not = "Windows files carry no permission bits to keep or to keep a user out with";
  return user;
}

void give_to(const OrdinaryUser&, const std::string&, unsigned) {}

long long permission_bits_of(const std::string&) { return -1; }

long long group_of(const std::string&) { return -1; }

std::string null_device_name() { return "NUL"; }

// Windows keeps file times in 100 ns ticks since 1601; nanoseconds below a
// tick are dropped.
void set_modification_time(const std::string& path, long long seconds, long nanoseconds) {
  constexpr long long ticks_from_1601_to_1970 = 116444736000000000LL;
  const auto ticks = static_cast<unsigned long long>(ticks_from_1601_to_1970 +
                                                     seconds * 10000000LL + nanoseconds / 100);
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const platform::win32::Handle file(::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid() || !::SetFileTime(file.get(), nullptr, &time, &time)) {
    throw std::runtime_error("cannot set the time of " + path);
  }
}

std::string why_child_time_zone_cannot_be_set() {
  return "a Windows program takes its time zone from the system, not from a TZ given to it";
}

ExclusiveHold::ExclusiveHold(const std::string& path) {
  const HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    why_not_ = "cannot open " + path + " to hold it";
  } else {
    handle_ = handle;
  }
}

ExclusiveHold::~ExclusiveHold() {
  if (handle_ != nullptr) ::CloseHandle(handle_);
}

std::string endless_device_name() { return {}; }

std::string discarding_device_name() { return "NUL"; }

std::string full_device_name() { return {}; }

char path_separator() { return '\\'; }

bool help_follows_the_locale() { return false; }

std::string path_variable(const std::vector<std::string>& folders) {
  std::string entry = "PATH=";
  for (std::size_t i = 0; i < folders.size(); ++i) entry += (i > 0 ? ";" : "") + folders[i];
  return entry;
}

std::string missing_folder_reason() {
  return platform::win32::system_message(ERROR_PATH_NOT_FOUND);
}

std::string not_a_folder_reason() { return platform::win32::system_message(ERROR_PATH_NOT_FOUND); }

std::string why_long_names_cannot_work() {
  return "the ANSI file functions of Windows take names of at most MAX_PATH (260) bytes";
}

std::string cp932_to_utf8(const std::string& bytes) {
  const std::wstring wide = to_utf16(shift_jis_code_page, bytes);
  if (wide.empty() && !bytes.empty()) return "<invalid CP932>";
  return to_utf8(wide);
}

}  // namespace test_support
