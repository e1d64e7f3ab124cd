// SetParam on any source with any limit. The destination is a heap block of
// exactly the size the caller must provide, so the sanitizer sees any write
// past it; the token must be the source bytes between where the token starts
// and where the scan says it stopped.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "common/common.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzz::check;

bool lead(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Characters in bytes [from, to), a double-byte character counting one.
long characters(const unsigned char* from, const unsigned char* to) {
  long count = 0;
  for (const unsigned char* p = from; p < to; p += lead(*p) && p[1] != 0 ? 2 : 1) ++count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::int32_t raw_limit = input.value<std::int32_t>();
  // Mostly small limits, where the limit decides; now and then any value.
  const std::int32_t limit = (raw_limit & 0x100) ? raw_limit : (raw_limit & 0xFF) - 4;
  const std::string text = input.rest().substr(0, 4096);
  const std::string source_text = text.substr(0, text.find('\0'));

  auto source = std::make_unique<unsigned char[]>(source_text.size() + 1);
  std::memcpy(source.get(), source_text.c_str(), source_text.size() + 1);
  // The caller's duty is 2 * limit - 1 bytes, at least 2; a token can never be
  // longer than the source and two more bytes, so larger limits get that.
  const long duty = std::max<long>(2, 2L * limit - 1);
  const std::size_t room =
      static_cast<std::size_t>(std::min<long>(duty, static_cast<long>(source_text.size()) + 3));
  auto destination = std::make_unique<unsigned char[]>(room);

  const unsigned char* stop = common::SetParam(source.get(), destination.get(), limit);
  const unsigned char* begin = source.get();
  const unsigned char* end = begin + source_text.size();
  check(stop >= begin && stop <= end);
  const std::size_t token_length = strnlen(reinterpret_cast<char*>(destination.get()), room);
  check(token_length < room);
  const std::string token(reinterpret_cast<char*>(destination.get()), token_length);

  const unsigned char* start = begin;
  while (*start == ' ' || *start == '\t') ++start;
  if (*start == '"') {
    check(stop > start);
    check(token == std::string(reinterpret_cast<const char*>(start + 1), stop - start - 1));
    check(characters(start + 1, stop) <= std::max(0, limit - 1));
  } else if (*start == '[') {
    // The group, then one byte more: the ']' or the byte where the limit ran out.
    const std::string group(reinterpret_cast<const char*>(start), stop - start);
    const std::string expected = *stop != 0 ? group + static_cast<char>(*stop) : group;
    check(token == expected);
    check(characters(start, stop) <= std::max(1, limit - 2));
  } else {
    check(token == std::string(reinterpret_cast<const char*>(start), stop - start));
    check(characters(start, stop) <= std::max(0, limit - 1));
  }
  return 0;
}
