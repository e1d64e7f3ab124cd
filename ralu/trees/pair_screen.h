// Most files of two versions of a tree are equal, and telling so needs no
// line comparison: sizes first, then the bytes side by side, as kevo
// compares.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ralu/pair/comparison.h"

namespace ralu {

// Screens two regular files of the sizes given; writes nothing.
Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<std::uint64_t, 2>& sizes);

}  // namespace ralu
