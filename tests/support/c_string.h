// Byte strings in heap buffers of exactly their size, for testing routines
// over NUL-terminated strings: under AddressSanitizer, a read or write past
// the end of a buffer is reported instead of landing on neighbouring bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// The bytes followed by a terminator, then `spare` more bytes (zero) for
// routines that grow the string in place.
inline std::vector<char> c_string(std::string_view bytes, std::size_t spare = 0) {
  std::vector<char> buffer(bytes.size() + 1 + spare, '\0');
  std::copy(bytes.begin(), bytes.end(), buffer.begin());
  return buffer;
}

// Where a search result lies in the buffer, -1 for null: results compare by
// offset so that a table states them as numbers.
inline std::ptrdiff_t offset_in(const std::vector<char>& buffer, const char* found) {
  return found == nullptr ? -1 : found - buffer.data();
}

// The whole buffer, terminators and all.
inline std::string bytes_of(const std::vector<char>& buffer) {
  return std::string(buffer.begin(), buffer.end());
}

}  // namespace test_support
