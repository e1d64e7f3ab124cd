#include "platform/large_memory.h"

#include <sys/mman.h>

namespace platform::pages {

void* map_zeroed(std::size_t bytes) {
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  ::madvise(memory, bytes, MADV_HUGEPAGE);  // only advice: without it, plain pages serve
#endif
  return memory;
}

void unmap(void* memory, std::size_t bytes) { ::munmap(memory, bytes); }

}  // namespace platform::pages
