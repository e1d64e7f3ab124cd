#include "platform/large_memory.h"

#include <sys/mman.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace platform {

void keep_freed_memory() {
#ifdef __GLIBC__
  // Up to 32 MiB a block comes from the heap, not from pages of its own, and
  // up to 128 MiB of free heap is kept.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

}  // namespace platform

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
