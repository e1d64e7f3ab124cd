// What ralu asks of the system about its operands. ralu takes its names as
// the system's own paths: on POSIX a backslash is just a byte of the name (kevo
// hands over the paths it opened), on Windows names are ANSI code page paths
// as everywhere else.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform {

enum class PathKind {
  absent,     // the system says there is no such file
  directory,  // a folder
  other,      // a file, or something whose status cannot be read (reading it says why)
};

PathKind path_kind(const char* path);

// The path of the file named like `file` (its last component) inside
// `directory`.
std::string path_in_directory(const std::string& directory, const std::string& file);

// The start of the epoch as local time: the time shown for an absent file.
LocalTime epoch_local_time();

// Whether standard output is a terminal.
bool standard_output_is_terminal();

}  // namespace platform
