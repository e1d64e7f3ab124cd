// The mappings whose faults end the process with a message instead of a crash.
// The system's fault handler (a signal handler on POSIX, an exception handler
// on Windows) looks the faulting address up here, so everything it reads is
// plain atomics in fixed slots: nothing allocates or locks.
#pragma once

#include <cstddef>
#include <string>

namespace platform::mapping_guard {

// Adds the range; the message must stay where it is until the range is
// removed. Returns its slot, or -1 when every slot is taken (a fault there is
// then the system's usual one).
int add(const void* begin, std::size_t length, const std::string* message);
void remove(int slot);

// The message of the guarded range that holds address, or null.
const std::string* message_for(const void* address);

// The status to exit with after the message.
void set_status(int status);
int status();

// Defined by each system's layer: sets up the system's handler once, and
// unmaps a view of a file.
void install_handler();
void unmap_view(void* base, std::size_t length);

}  // namespace platform::mapping_guard
