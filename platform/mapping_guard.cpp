#include "platform/mapping_guard.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace platform::mapping_guard {

namespace {

// ralu maps at most a few parts of its two inputs at a time.
constexpr std::size_t slot_count = 8;

struct Slot {
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::size_t> length{0};
  std::atomic<const std::string*> message{nullptr};
  std::atomic<bool> taken{false};
};

std::array<Slot, slot_count> slots;
std::atomic<int> exit_status{2};

}  // namespace

int add(const void* begin, std::size_t length, const std::string* message) {
  install_handler();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    Slot& slot = slots[i];
    bool expected = false;
    if (!slot.taken.compare_exchange_strong(expected, true)) continue;
    slot.message.store(message);
    slot.begin.store(reinterpret_cast<std::uintptr_t>(begin));
    slot.length.store(length);
    return static_cast<int>(i);
  }
  return -1;
}

void remove(int slot) {
  if (slot < 0) return;
  Slot& taken = slots[static_cast<std::size_t>(slot)];
  taken.length.store(0);
  taken.begin.store(0);
  taken.message.store(nullptr);
  taken.taken.store(false);
}

const std::string* message_for(const void* address) {
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  for (const Slot& slot : slots) {
    const std::uintptr_t begin = slot.begin.load();
    if (begin != 0 && at >= begin && at - begin < slot.length.load()) return slot.message.load();
  }
  return nullptr;
}

void set_status(int status) { exit_status.store(status); }
int status() { return exit_status.load(); }

}  // namespace platform::mapping_guard
