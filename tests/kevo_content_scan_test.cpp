// The comparison's inner loop against the plain definition of a control byte,
// for every byte value, in the vector part of a chunk and in its short tail.
#include <gtest/gtest.h>

#include <string>

#include "compare/content_scan.h"

namespace {

TEST(KevoContentScan, EveryByteValueAnywhereInAChunk) {
  constexpr std::size_t size = 200;  // three 64-byte steps and a tail of 8
  for (int value = 0; value < 256; ++value) {
    const bool control = kevo::is_control_byte(static_cast<unsigned char>(value)) != 0;
    for (const std::size_t at : {std::size_t{0}, std::size_t{63}, std::size_t{100}, size - 1}) {
      std::basic_string<unsigned char> first(size, 'a');
      first[at] = static_cast<unsigned char>(value);
      const std::basic_string<unsigned char> second(size, 'a');
      const kevo::ChunkScan scan = kevo::compare_and_scan(first.data(), second.data(), size);
      EXPECT_EQ(scan.first_control, control) << value << " at " << at;
      EXPECT_EQ(scan.equal, value == 'a') << value << " at " << at;
      EXPECT_EQ(kevo::has_control_byte(first.data(), size), control) << value << " at " << at;
    }
  }
}

}  // namespace
