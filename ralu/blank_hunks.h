// Hunks under -B (--ignore-blank-lines): changes that only delete or insert
// blank lines are left out, unless a hunk holds other changes too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ralu/hunks.h"
#include "ralu/lines.h"

namespace ralu {

// As assemble_hunks, with these differences, which are GNU diff's: a change
// group whose deleted and inserted lines are all blank in `old_keys` and
// `new_keys` (see is_blank) joins the hunk before it only when it lies within
// that hunk's trailing context (fewer than `context` unchanged lines apart),
// and a hunk made of such groups alone is not shown.
std::vector<Hunk> assemble_hunks_ignoring_blank_lines(std::span<const std::uint8_t> old_changed,
                                                      std::span<const std::uint8_t> new_changed,
                                                      const LineTable& old_keys,
                                                      const LineTable& new_keys,
                                                      std::size_t context);

}  // namespace ralu
