// Which changes -B (--ignore-blank-lines) may leave out: those that only
// delete or insert blank lines.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "ralu/engine/edit_script.h"

namespace ralu {

// One flag a group of the script: 1 when every line it deletes from old_keys
// and inserts from new_keys is blank (see is_blank). The texts are those the
// script was found on, so that blank means blank under the matching options.
std::vector<std::uint8_t> blank_only_groups(const EditScript& script, std::string_view old_keys,
                                            std::string_view new_keys);

}  // namespace ralu
