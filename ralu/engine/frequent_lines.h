// Lines that pair too easily.
//
// A blank line, a lone brace or an `else:` occurs all over most inputs, so
// the search can pair such a line with one of the other input wherever that
// keeps the script shortest. Between two blocks that were rewritten, that
// pairing saves two changed lines and splits one block of change into two
// hunks around a line that carries no meaning. A person reads the block as
// one; so, when it costs little, ralu shows such a line as changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ralu {

// Marks as changed (sets to 1 in `changed`) each line of one input that
// occurs often in the other input and stands among lines that occur nowhere
// in it. `ids` are the classes of the input's lines; `count_in_other` gives,
// by class, how often it occurs in the other input, whose length is
// `other_size` lines. Returns how many lines it marked.
std::size_t mark_frequent_lines_among_changes(std::span<const std::uint32_t> ids,
                                              std::span<const std::uint32_t> count_in_other,
                                              std::size_t other_size,
                                              std::span<std::uint8_t> changed);

}  // namespace ralu
