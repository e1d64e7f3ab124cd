// What ralu says of itself: the help and the version.
#pragma once

namespace ralu {

// Writes the help text to standard output.
void print_help();

// Writes "ralu (kevo) VERSION" to standard output.
void print_version();

}  // namespace ralu
