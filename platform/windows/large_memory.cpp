#include "platform/large_memory.h"

#include <windows.h>

namespace platform {

// The Windows heap keeps freed blocks for reuse by itself.
void keep_freed_memory() {}

}  // namespace platform

namespace platform::pages {

// Large pages need a privilege that programs rarely have, so the system's
// zeroed pages serve as they are.
void* map_zeroed(std::size_t bytes) {
  return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void unmap(void* memory, std::size_t /*bytes*/) { ::VirtualFree(memory, 0, MEM_RELEASE); }

}  // namespace platform::pages
