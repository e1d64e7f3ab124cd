// The edit-script search: which entries of two sequences a short edit script
// deletes and inserts.
//
// Myers' O(ND) difference algorithm, searching from both ends at once for the
// middle of an optimal path and dividing the problem there, so that memory
// stays linear. Past a cost cap the search settles for the furthest-reaching
// path it has, which keeps pathological inputs fast at the price of a script
// that may be a little longer than the shortest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ralu/engine/edit_script.h"

namespace ralu {

// Sets old_changed[i] for every entry of old_ids that the script deletes and
// new_changed[j] for every entry of new_ids that it inserts; the others are
// left alone, and they pair up in order as the common subsequence. With
// minimal set, the script is a shortest one. The changed spans must be as long
// as their id spans, and both id spans shorter than max_lines.
void mark_edits(std::span<const std::uint32_t> old_ids, std::span<const std::uint32_t> new_ids,
                std::span<std::uint8_t> old_changed, std::span<std::uint8_t> new_changed,
                bool minimal);

// The same, for a caller that only wants a script changing at most `most`
// entries: gives up, with the marks unfinished, as soon as it is certain that
// no script is that short, and returns false. True when it marked a script,
// which may still be longer than `most` where the search settled for less
// than the shortest.
bool mark_edits_within(std::span<const std::uint32_t> old_ids,
                       std::span<const std::uint32_t> new_ids, std::span<std::uint8_t> old_changed,
                       std::span<std::uint8_t> new_changed, bool minimal, std::size_t most);

// The runs of marked entries that an edit script's marks make, in order, into
// `groups` (emptied first), numbered from `first`: the unmarked entries
// between them pair up in order.
void collect_change_groups(std::span<const std::uint8_t> old_changed,
                           std::span<const std::uint8_t> new_changed, std::size_t first,
                           std::vector<ChangeGroup>& groups);

}  // namespace ralu
