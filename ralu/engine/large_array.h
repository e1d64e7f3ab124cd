// The engine's arrays of one entry a line, which on huge inputs hold hundreds
// of megabytes: their memory comes zeroed from the system (see
// platform/large_memory.h), and an array made with a size and no value is
// left as that memory is, all zeros, with no pass to fill it.
//
// So an array must not be shrunk and then grown again: the entries that come
// back would hold what they held before, not zeros.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

#include "platform/large_memory.h"

namespace ralu {

template <class T>
struct ZeroedAllocator {
  using value_type = T;

  ZeroedAllocator() = default;
  template <class U>
  explicit ZeroedAllocator(const ZeroedAllocator<U>& /*other*/) {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    // As operator new does: the new handler, when there is one, is called
    // until it finds memory or ends the process; else the failure is thrown.
    for (;;) {
      if (void* memory = platform::allocate_zeroed(count * sizeof(T)))
        return static_cast<T*>(memory);
      const std::new_handler handler = std::get_new_handler();
      if (handler == nullptr) throw std::bad_alloc();
      handler();
    }
  }
  void deallocate(T* memory, std::size_t count) {
    platform::free_zeroed(memory, count * sizeof(T));
  }

  // Made without a value, an entry keeps the zeros it was given.
  template <class U>
  void construct(U* at) {
    ::new (static_cast<void*>(at)) U;
  }
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }

  template <class U>
  bool operator==(const ZeroedAllocator<U>& /*other*/) const {
    return true;
  }
};

template <class T>
using LargeArray = std::vector<T, ZeroedAllocator<T>>;

}  // namespace ralu
