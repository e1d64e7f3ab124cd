// The heap tools of test_support on Windows, where they are not available: the
// C runtime's heap has no switches for dirty blocks or growth, and a process
// has no address-space limit to make it refuse. Tests that need them skip.
#include <malloc.h>

#include <cstdlib>

#include "tests/support/heap.h"

namespace test_support {

std::string heap_exhaustion_unavailable_reason() {
  return "exhausting the heap needs glibc's allocator and an address-space limit, which a "
         "Windows process does not have";
}

std::string dirty_blocks_unavailable_reason() {
  return "the Windows C runtime's heap has no switch that makes new blocks dirty";
}

void exhaust_heap(std::size_t) { std::abort(); }

void fix_heap_growth(std::size_t, std::size_t) {}

DirtyNewBlocks::DirtyNewBlocks() = default;

DirtyNewBlocks::~DirtyNewBlocks() = default;

std::size_t usable_size(void* block) { return ::_msize(block); }

}  // namespace test_support
