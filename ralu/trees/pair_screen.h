// Most files of two versions of a tree are equal, and telling so needs no
// line comparison: sizes first, then the bytes side by side, as kevo
// compares.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/directory.h"
#include "ralu/pair/comparison.h"

namespace ralu {

// Screens two regular files of the status a walk read; writes nothing.
Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<platform::EntryStatus, 2>& statuses);

}  // namespace ralu
