// Puts this process's own heap into states that allocation tests need, using
// the real allocator: a heap that refuses, new blocks that start dirty, and the
// usable size of a block.
#pragma once

#include <cstddef>
#include <string>

namespace test_support {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool address_sanitizer_active = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool address_sanitizer_active = true;
#else
inline constexpr bool address_sanitizer_active = false;
#endif
#else
inline constexpr bool address_sanitizer_active = false;
#endif

// Empty when exhaust_heap can make the heap refuse here; otherwise why not.
std::string heap_exhaustion_unavailable_reason();

// Lowers the address-space limit to what is mapped now and takes every block
// the heap still has free, so that any further request fails for real. Then
// leaves headroom bytes of address space for new mappings. Only for a child
// process that ends soon after (a death test): nothing is given back. Aborts
// when the limit cannot be read or set, since no exception could be raised.
void exhaust_heap(std::size_t headroom = 0);

// Fixes where the heap switches from its own arena to a separate mapping per
// block, and how much extra it takes when growing the arena, so that a test
// can tell in advance which of two request sizes a given headroom serves.
void fix_heap_growth(std::size_t own_mapping_from, std::size_t arena_growth_pad);

// Empty when DirtyNewBlocks can make new blocks dirty here; otherwise why not.
std::string dirty_blocks_unavailable_reason();

// While it lives, every new block of the plain heap starts with all bytes
// 0xAA, so a test can tell cleared bytes from fresh ones. Under
// AddressSanitizer blocks start dirty anyway (0xBE in their first 4 KiB).
class DirtyNewBlocks {
 public:
  DirtyNewBlocks();
  ~DirtyNewBlocks();
  DirtyNewBlocks(const DirtyNewBlocks&) = delete;
  DirtyNewBlocks& operator=(const DirtyNewBlocks&) = delete;
};

// Bytes usable in a heap block: exactly the requested size under
// AddressSanitizer, the size rounded up to the allocator's size class otherwise.
std::size_t usable_size(void* block);

}  // namespace test_support
