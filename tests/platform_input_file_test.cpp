// Reading ralu's inputs through the platform layer: parts of a file read by
// offset and mapped at any offset give the file's own bytes, and a file that
// shrinks under its mapping ends the process with the mapping's message
// instead of a bus error.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/input_file.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::TempDir;
using test_support::write_file;

// Bytes that differ from offset to offset, over more than the 64 KiB on which
// Windows aligns its mappings.
std::string patterned(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
  return bytes;
}

platform::InputFile opened(const std::string& path) {
  std::string failure;
  std::optional<platform::InputFile> file = platform::InputFile::open(path.c_str(), failure);
  if (!file) throw std::runtime_error(path + ": " + failure);
  return std::move(*file);
}

TEST(PlatformInputFile, PartsReadAndMappedAreTheFilesBytes) {
  TempDir dir;
  const std::string bytes = patterned(200'000);
  write_file(dir.path("f"), bytes);
  const platform::InputFile file = opened(dir.path("f"));
  ASSERT_TRUE(file.is_regular());
  ASSERT_EQ(file.size(), bytes.size());

  struct Part {
    std::size_t offset, length;
  };
  for (const Part part : {Part{0, 1}, Part{1, 4095}, Part{4095, 2}, Part{4096, 10'000},
                          Part{65'535, 3}, Part{65'537, 100'000}, Part{199'999, 1}, Part{0, 0}}) {
    const std::string expected = bytes.substr(part.offset, part.length);
    std::string read(part.length, '\0');
    std::string failure;
    EXPECT_EQ(file.read_at(part.offset, read, failure), static_cast<std::int64_t>(part.length));
    EXPECT_EQ(read, expected) << "read at " << part.offset;
    const platform::InputFile::Mapping mapping = file.map(part.offset, part.length, "");
    ASSERT_TRUE(mapping.bytes) << mapping.failure;
    EXPECT_EQ(mapping.bytes->bytes(), expected) << "mapped at " << part.offset;
  }
  // Past the end a read is short, not a failure.
  std::string tail(10, '\0');
  std::string failure;
  EXPECT_EQ(file.read_at(199'995, tail, failure), 5);
}

TEST(PlatformInputFile, DirectoryIsNoInput) {
  TempDir dir;
  std::string failure;
  EXPECT_FALSE(platform::InputFile::open(dir.root().string().c_str(), failure));
  EXPECT_EQ(failure, std::strerror(EISDIR));
}

TEST(PlatformInputFileDeathTest, ShrinkingUnderTheMappingEndsWithItsMessage) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows refuses to shorten a file while it is mapped";
#else
  TempDir dir;
  const std::string path = dir.path("shrinks");
  write_file(path, patterned(std::size_t{3} * 65'536));
  const platform::InputFile file = opened(path);
  const platform::InputFile::Mapping mapping =
      file.map(0, file.size(), "ralu: shrinks: changed size while being read\n");
  ASSERT_TRUE(mapping.bytes) << mapping.failure;
  platform::set_mapping_fault_status(2);
  std::filesystem::resize_file(path, 100);
  const std::string_view bytes = mapping.bytes->bytes();
  EXPECT_EXIT(
      {
        // A page the file still has reads as ever; the last one is gone.
        volatile char first = bytes[50];
        volatile char last = bytes[bytes.size() - 1];
        static_cast<void>(first);
        static_cast<void>(last);
        std::exit(0);
      },
      testing::ExitedWithCode(2), "^ralu: shrinks: changed size while being read\n$");
#endif
}

}  // namespace
