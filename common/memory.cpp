// Heap allocation with one failure policy: message, endfun, exit status 1.
//
// Sizes arrive as 32-bit signed counts. Retry sizes are summed in size_t, so a
// request near the 32-bit maximum plus its margin is still the large positive
// count it means, and a negative size is turned away before any heap call
// could read it as a huge unsigned request.
#include <cstdlib>
#include <cstring>

#include "common/common.h"

namespace common {

std::int32_t terminate_size = 2147483647;

namespace {

constexpr std::size_t getmem_retry_margin = 4000;
constexpr std::size_t moremem_retry_margin = 1000;

// Up to this many bytes the message gives the size in bytes, above it in
// thousands of bytes (truncated).
constexpr std::int32_t largest_size_in_bytes = 1000;

void report_size_failure(std::int32_t size) {
  if (size <= largest_size_in_bytes) {
    errmsg("cannot get the memory of %d bytes\n", size);
  } else {
    errmsg("cannot get the memory of %d K bytes\n", size / 1000);
  }
}

[[noreturn]] void end_after_failure() {
  if (endfun != nullptr) endfun();
  std::exit(1);
}

void* allocate(std::int32_t size) {
  const auto bytes = static_cast<std::size_t>(size);
  void* block = std::malloc(bytes);
  if (block == nullptr) block = std::malloc(bytes + getmem_retry_margin);
  return block;
}

void* resize(void* block, std::int32_t size) {
  // realloc to 0 bytes would release the block and answer null, which the
  // retry would then take for a failure and hand the released block back to
  // the heap. The smallest real block keeps the caller's block alive.
  const auto bytes = size == 0 ? std::size_t{1} : static_cast<std::size_t>(size);
  void* resized = std::realloc(block, bytes);
  // After a failed realloc the original block is untouched and still valid.
  if (resized == nullptr) resized = std::realloc(block, bytes + moremem_retry_margin);
  return resized;
}

}  // namespace

void* getmem(std::int32_t size) {
  void* block = size < 0 ? nullptr : allocate(size);
  if (block != nullptr) {
    std::memset(block, 0, static_cast<std::size_t>(size));
    return block;
  }
  report_size_failure(size);
  if (size >= terminate_size) return nullptr;
  end_after_failure();
}

void* moremem(void* block, std::int32_t size) {
  void* resized = size < 0 ? nullptr : resize(block, size);
  if (resized != nullptr) return resized;
  report_size_failure(size);
  end_after_failure();
}

char* setstr(const char* s) {
  const std::size_t bytes = std::strlen(s) + 1;
  auto* copy = static_cast<char*>(std::malloc(bytes));
  if (copy == nullptr) {
    errmsg("cannot get memory\n");
    end_after_failure();
  }
  std::memcpy(copy, s, bytes);
  return copy;
}

char* addstr(char* buf, const char* s) {
  const std::size_t head = std::strlen(buf);
  const std::size_t tail = std::strlen(s);
  auto* joined = static_cast<char*>(std::realloc(buf, head + tail + 1));
  if (joined == nullptr) {
    errmsg("can't get memory\n");
    end_after_failure();
  }
  std::memcpy(joined + head, s, tail + 1);
  return joined;
}

}  // namespace common
