// Draws typed pieces from a fuzzer's input, front to back; once the input is
// used up every draw gives zero or empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return at_ >= size_; }

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

  template <class T>
  T value() {
    T result{};
    const std::size_t count = std::min(sizeof result, size_ - std::min(at_, size_));
    std::memcpy(&result, data_ + at_, count);
    at_ += count;
    return result;
  }

  // Bytes up to the next NUL (which is used up) or the end of the input.
  std::string text() {
    std::string result;
    while (at_ < size_ && data_[at_] != 0) result.push_back(static_cast<char>(data_[at_++]));
    if (at_ < size_) ++at_;
    return result;
  }

  // Everything that is left.
  std::string rest() {
    std::string result(reinterpret_cast<const char*>(data_) + std::min(at_, size_),
                       size_ - std::min(at_, size_));
    at_ = size_;
    return result;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace fuzz
