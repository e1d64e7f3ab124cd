// Memory for large arrays straight from the system: it comes zeroed, so an
// array that starts as zeros needs no pass to fill it, and on Linux it is
// advised for transparent huge pages, so that first touching it costs one
// page fault per 2 MiB instead of one per 4 KiB.
#pragma once

#include <cstddef>

namespace platform {

// At least `bytes` bytes of zeroed memory, or null when there is none.
void* allocate_zeroed(std::size_t bytes);

// Gives back what allocate_zeroed gave, with the size it was asked for.
void free_zeroed(void* memory, std::size_t bytes);

// From here on the C library's allocator keeps memory that is freed for the
// allocations that follow, rather than handing it back to the system at
// once: a run that compares thousands of small pairs of files would
// otherwise grow and shrink its heap, and fault in fresh pages, for each.
void keep_freed_memory();

// Each system's own pages, which allocate_zeroed takes for large sizes.
namespace pages {
void* map_zeroed(std::size_t bytes);  // null when there are none
void unmap(void* memory, std::size_t bytes);
}  // namespace pages

}  // namespace platform
