#include "platform/large_memory.h"

#include <cstdlib>

namespace platform {

namespace {

// Below this size the C library's allocator serves better: pages of one's own
// cost a system call and a page at least.
constexpr std::size_t own_pages_from = std::size_t{1} << 20;

}  // namespace

void* allocate_zeroed(std::size_t bytes) {
  if (bytes < own_pages_from) return std::calloc(bytes == 0 ? 1 : bytes, 1);
  return pages::map_zeroed(bytes);
}

void free_zeroed(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes < own_pages_from) {
    std::free(memory);
  } else {
    pages::unmap(memory, bytes);
  }
}

}  // namespace platform
