// The thin operating-system layer: everything kevo and ralu ask of the system
// goes through here, so that a Windows implementation can sit beside the POSIX
// one. Names are taken as the user gave them, with the backslash as a path
// separator as on Windows; printing them is the caller's business.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace platform {

// What the file-status query by name tells about a file.
struct FileStatus {
  bool is_directory;
  std::int64_t size;  // bytes; the true size, also beyond 2 GiB
};

// The name as the system wants it. On POSIX every backslash that is not the
// trail byte of a double-byte character becomes '/'; elsewhere it is unchanged.
std::string native_name(const char* name);

// Opens a file for reading without newline translation ("rb"); null on failure.
std::FILE* open_for_reading(const char* name);

// The status of a file by name, or nothing when it cannot be read.
std::optional<FileStatus> file_status(const char* name);

}  // namespace platform
