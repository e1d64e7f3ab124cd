// The engine: from the bytes of two inputs to their edit script.
//
// The common head and tail are set aside as bytes; the lines between are
// classed, the lines of one input only are set aside too, the search finds
// which of the rest change (and, unless the script must be shortest, a second
// search lets blank lines and their like among changes join the blocks around
// them when that costs little), and compaction moves each group of changed
// lines to where a person would cut. The engine reads nothing and writes
// nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "ralu/engine/classes.h"
#include "ralu/engine/edit_script.h"
#include "ralu/engine/lines.h"

namespace ralu {

// Equal lines given back to the middle from the common head and tail, so
// that compaction can slide groups into them and see what lies around. The
// engine looks at no line further from the middle than this: a caller may
// give it only the middles and this many lines around them.
inline constexpr std::size_t compaction_margin = 100;

struct EngineOptions {
  // A shortest edit script, however long the search takes; else a short one
  // found within a bounded cost, a few lines longer where that joins blocks.
  bool minimal = false;
  // How lines are hashed; a seed is drawn for each comparison unless given.
  std::optional<HashSettings> hashing;
};

// The edit script that turns old_text into new_text. Each must hold at most
// max_lines lines.
EditScript compare_texts(std::string_view old_text, std::string_view new_text,
                         const EngineOptions& options);

// The same script, for texts whose lines were found already: each text is
// its table's bytes. The middles' lines are taken from the tables rather
// than found again, which spares a pass over them.
EditScript compare_texts(const LineTable& old_lines, const LineTable& new_lines,
                         const EngineOptions& options);

}  // namespace ralu
