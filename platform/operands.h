// What ralu asks of the system about its operands. ralu takes its names as
// the system's own paths: on POSIX a backslash is just a byte of the name (kevo
// hands over the paths it opened), on Windows names are ANSI code page paths
// as everywhere else.
#pragma once

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace platform {

enum class PathKind {
  absent,     // the system says there is no such file
  directory,  // a folder
  other,      // a file, or something whose status cannot be read (reading it says why)
};

// What `path` names; a symbolic link is followed unless `follow_links` is
// false, and is then `other`.
PathKind path_kind(const char* path, bool follow_links = true);

// "DIRECTORY/NAME": the directory without the separators that end it, one
// slash, the name. ("a//" and "x" give "a/x", "/" and "x" give "/x".)
std::string path_within(const std::string& directory, const std::string& name);

// What follows the last separator of a path, or the whole path.
std::string last_component(const std::string& path);

// The start of the epoch as local time: the time shown for an absent file.
LocalTime epoch_local_time();

// Whether standard output is a terminal.
bool standard_output_is_terminal();

// The columns of the terminal standard output is, or 0 when it is none or
// does not say.
std::size_t standard_output_columns();

}  // namespace platform
