#include "platform/large_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace platform {

namespace {

// Below this size the C library's allocator serves better: mapping pages of
// its own costs a system call and a page at least.
constexpr std::size_t mapped_from = std::size_t{1} << 20;

}  // namespace

void* allocate_zeroed(std::size_t bytes) {
  if (bytes < mapped_from) return std::calloc(bytes == 0 ? 1 : bytes, 1);
  void* memory = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
#ifdef MADV_HUGEPAGE
  ::madvise(memory, bytes, MADV_HUGEPAGE);  // only advice: without it, plain pages serve
#endif
  return memory;
}

void free_zeroed(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes < mapped_from) {
    std::free(memory);
  } else {
    ::munmap(memory, bytes);
  }
}

}  // namespace platform
