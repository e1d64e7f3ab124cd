#include "platform/directory.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/windows/path_separators.h"
#include "platform/windows/win32.h"

namespace platform {

namespace {

std::uint64_t joined(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

EntryKind kind_of(HANDLE file, const BY_HANDLE_FILE_INFORMATION& information, bool follow_links) {
  if (!follow_links && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return EntryKind::symbolic_link;
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EntryKind::directory;
  switch (::GetFileType(file)) {
    case FILE_TYPE_DISK:
      return EntryKind::regular;
    case FILE_TYPE_CHAR:
      return EntryKind::character_device;
    case FILE_TYPE_PIPE:
      return EntryKind::fifo;
    default:
      return EntryKind::other;
  }
}

// What an open handle is. A device such as NUL, or a pipe, has a handle but
// no file information.
std::optional<EntryStatus> status_of_handle(HANDLE file, bool follow_links, std::string& failure) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (file == INVALID_HANDLE_VALUE || ::GetFileInformationByHandle(file, &information) == 0) {
    if (file != INVALID_HANDLE_VALUE && ::GetFileType(file) == FILE_TYPE_CHAR) {
      return EntryStatus{EntryKind::character_device, 0, 0, 0};
    }
    if (file != INVALID_HANDLE_VALUE && ::GetFileType(file) == FILE_TYPE_PIPE) {
      // A pipe has no identity to compare: each is told apart from all.
      static std::atomic<std::uint64_t> pipes{0};
      return EntryStatus{EntryKind::fifo, 0, UINT64_MAX, ++pipes};
    }
    failure = win32::system_message(::GetLastError());
    return std::nullopt;
  }
  EntryStatus entry;
  entry.kind = kind_of(file, information, follow_links);
  entry.size = joined(information.nFileSizeHigh, information.nFileSizeLow);
  entry.device = information.dwVolumeSerialNumber;
  entry.inode = joined(information.nFileIndexHigh, information.nFileIndexLow);
  entry.modified = static_cast<std::int64_t>(joined(information.ftLastWriteTime.dwHighDateTime,
                                                    information.ftLastWriteTime.dwLowDateTime));
  return entry;
}

// The kind the find data gives a name. A reparse point may be a link, a
// junction or something else again, which only opening it tells.
ListedKind listed_kind(const WIN32_FIND_DATAA& found) {
  if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return ListedKind::unknown;
  if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ListedKind::directory;
  return ListedKind::regular;
}

}  // namespace

std::optional<EntryStatus> entry_status(const char* path, bool follow_links, std::string& failure) {
  // Opening with backup semantics reaches folders too; reading attributes
  // needs no access to the contents.
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (!follow_links) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  const win32::Handle file(::CreateFileA(path, FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, flags, nullptr));
  if (!file.valid()) {
    failure = win32::system_message(::GetLastError());
    return std::nullopt;
  }
  return status_of_handle(file.get(), follow_links, failure);
}

std::optional<EntryStatus> standard_input_status(std::string& failure) {
  return status_of_handle(::GetStdHandle(STD_INPUT_HANDLE), true, failure);
}

std::optional<std::string> link_target(const char* /*path*/, std::string& failure) {
  // Links are followed on Windows unless asked otherwise, and their targets
  // live in reparse data this layer does not read.
  failure = "Operation not supported";
  return std::nullopt;
}

std::optional<std::vector<ListedName>> directory_names(const char* path, std::string& failure) {
  // A folder named 表 ends in the byte 0x5C and still needs its separator:
  // without one the search lists the entries of its parent that start with 表.
  std::string pattern = path;
  if (!pattern.empty() && !win32::ends_in_separator(pattern)) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found{};
  const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // An empty folder still lists "." and ".."; only a drive's root may hold
    // nothing at all.
    if (error == ERROR_FILE_NOT_FOUND) return std::vector<ListedName>();
    failure = win32::system_message(error);
    return std::nullopt;
  }
  std::vector<ListedName> names;
  DWORD error = ERROR_SUCCESS;
  while (error == ERROR_SUCCESS) {
    const std::string_view name = found.cFileName;
    if (name != "." && name != "..") names.push_back({std::string(name), listed_kind(found)});
    if (::FindNextFileA(search, &found) == 0) error = ::GetLastError();
  }
  ::FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    failure = win32::system_message(error);
    return std::nullopt;
  }
  return names;
}

}  // namespace platform
