// Mapping lines to equivalence classes, so that the search compares integers.
//
// Two lines get the same class number exactly when their bytes are equal: a
// hash finds the candidates, and a byte comparison decides. The hash is keyed
// by a seed drawn for each run, so that no input can be built in advance to
// make many lines share a hash; and lines that share one all the same are
// kept in a table ordered by their bytes, so that even then classifying n
// lines takes O(n log n) comparisons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ralu/engine/large_array.h"
#include "ralu/engine/lines.h"

namespace ralu {

// Lines [begin, end) of one input.
struct LineRange {
  const LineTable& table;
  std::size_t begin;
  std::size_t end;
};

// Where a class occurs.
enum Presence : std::uint8_t { in_old = 1, in_new = 2 };

// How lines are hashed.
struct HashSettings {
  std::uint64_t seed;
  // Only these bits of each hash are used. Tests clear most of them to make
  // lines collide; in use every bit counts.
  std::uint64_t mask = ~std::uint64_t{0};
};

// Settings with a seed drawn from the system's random source, once a process.
HashSettings random_hash_settings();

// The hash of a line's bytes under the settings (masked).
std::uint64_t hash_line(std::string_view line, const HashSettings& settings);

// The hashes of every line of a table, in order.
LargeArray<std::uint64_t> hash_lines(const LineTable& lines, const HashSettings& settings);

struct LineClasses {
  LargeArray<std::uint32_t> old_ids;  // class of each line of the old range, in order
  LargeArray<std::uint32_t> new_ids;  // class of each line of the new range, in order
  LargeArray<std::uint8_t> presence;  // per class: the Presence bits of where it occurs
  std::size_t comparisons = 0;        // how many times two lines' bytes were compared
};

// Classifies every line of both ranges. Each range must hold fewer than
// max_lines lines.
LineClasses classify_lines(const LineRange& old_range, const LineRange& new_range,
                           const HashSettings& settings);

}  // namespace ralu
