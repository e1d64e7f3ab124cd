#include "platform/large_memory.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

namespace {

// Below this size the C library's allocator serves better.
constexpr std::size_t reserved_from = std::size_t{1} << 20;

}  // namespace

// Large pages need a privilege that programs rarely have, so the system's
// zeroed pages serve as they are.
void* allocate_zeroed(std::size_t bytes) {
  if (bytes < reserved_from) return std::calloc(bytes == 0 ? 1 : bytes, 1);
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void free_zeroed(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  if (bytes < reserved_from) {
    std::free(memory);
  } else {
    ::VirtualFree(memory, 0, MEM_RELEASE);
  }
}

}  // namespace platform
