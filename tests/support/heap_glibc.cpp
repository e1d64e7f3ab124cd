#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/support/heap.h"

namespace test_support {

namespace {

// Blocks taken to exhaust the heap are stored here so that the compiler has
// to make every request; they are never released.
void* volatile taken_block = nullptr;

// Read without stdio: after the heap is exhausted, fopen could not get its
// stream buffer.
std::size_t mapped_bytes() {
  char text[128] = {};
  const int fd = ::open("/proc/self/statm", O_RDONLY);
  const ssize_t count = fd < 0 ? -1 : ::read(fd, text, sizeof text - 1);
  if (fd >= 0) ::close(fd);
  if (count <= 0) std::abort();
  const unsigned long pages = std::strtoul(text, nullptr, 10);
  return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

void limit_address_space(std::size_t bytes) {
  rlimit limit{};
  ::getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_AS, &limit) != 0) std::abort();
}

// Stack growth counts against the address-space limit too: grow the stack now,
// while there is room, so that the calls after exhaust_heap do not fault.
[[gnu::noinline]] void grow_stack() {
  volatile char reserve[256 * 1024];
  for (std::size_t i = sizeof reserve; i > 0; i -= 4096) reserve[i - 1] = 0;
}

void take_all_of_size(std::size_t size) {
  for (;;) {
    void* block = std::malloc(size);
    if (block == nullptr) return;
    taken_block = block;
  }
}

// Takes every free block, largest sizes first: after the round for a size, no
// free block can serve that size any more. The fine rounds step through every
// small size class, so per-size caches are emptied as well.
void take_every_free_block() {
  for (std::size_t size = std::size_t{64} << 20; size > std::size_t{64} * 1024; size /= 2) {
    take_all_of_size(size);
  }
  for (std::size_t size = std::size_t{64} * 1024; size > 0; size -= 8) take_all_of_size(size);
}

}  // namespace

std::string heap_exhaustion_unavailable_reason() {
  if (address_sanitizer_active) {
    return "AddressSanitizer replaces the heap and reserves terabytes of address space, so a "
           "lowered address-space limit cannot make it refuse; these run in the release preset";
  }
  return "";
}

std::string dirty_blocks_unavailable_reason() { return ""; }

void exhaust_heap(std::size_t headroom) {
  grow_stack();
  limit_address_space(mapped_bytes());
  take_every_free_block();
  if (headroom > 0) limit_address_space(mapped_bytes() + headroom);
}

void fix_heap_growth(std::size_t own_mapping_from, std::size_t arena_growth_pad) {
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(own_mapping_from));
  ::mallopt(M_TOP_PAD, static_cast<int>(arena_growth_pad));
}

DirtyNewBlocks::DirtyNewBlocks() { ::mallopt(M_PERTURB, 0x55); }

DirtyNewBlocks::~DirtyNewBlocks() { ::mallopt(M_PERTURB, 0); }

std::size_t usable_size(void* block) { return ::malloc_usable_size(block); }

}  // namespace test_support
