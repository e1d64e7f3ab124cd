// The parts of reading inputs that are the same on every system: a mapping's
// guard, moving and releasing a mapping, and moving an open file.
#include "platform/input_file.h"

#include <utility>

#include "platform/mapping_guard.h"

namespace platform {

void set_mapping_fault_status(int status) { mapping_guard::set_status(status); }

MappedBytes::MappedBytes(void* base, std::size_t base_length, std::size_t skip,
                         std::string fault_message)
    : base_(base),
      base_length_(base_length),
      start_(static_cast<const char*>(base) + skip),
      length_(base_length - skip),
      fault_message_(std::make_unique<std::string>(std::move(fault_message))),
      guard_(mapping_guard::add(base, base_length, fault_message_.get())) {}

void MappedBytes::release() {
  mapping_guard::remove(guard_);
  guard_ = -1;
  if (base_ != nullptr) mapping_guard::unmap_view(base_, base_length_);
  base_ = nullptr;
  base_length_ = 0;
  start_ = nullptr;
  length_ = 0;
  fault_message_.reset();
}

MappedBytes::~MappedBytes() { release(); }

MappedBytes::MappedBytes(MappedBytes&& other) noexcept
    : base_(std::exchange(other.base_, nullptr)),
      base_length_(std::exchange(other.base_length_, 0)),
      start_(std::exchange(other.start_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      fault_message_(std::move(other.fault_message_)),
      guard_(std::exchange(other.guard_, -1)) {}

MappedBytes& MappedBytes::operator=(MappedBytes&& other) noexcept {
  if (this != &other) {
    release();
    base_ = std::exchange(other.base_, nullptr);
    base_length_ = std::exchange(other.base_length_, 0);
    start_ = std::exchange(other.start_, nullptr);
    length_ = std::exchange(other.length_, 0);
    fault_message_ = std::move(other.fault_message_);
    guard_ = std::exchange(other.guard_, -1);
  }
  return *this;
}

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)),
      regular_(other.regular_),
      size_(other.size_),
      modified_(other.modified_),
      block_size_(other.block_size_) {}

}  // namespace platform
