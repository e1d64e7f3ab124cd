// The common head and tail found by reading two inputs in chunks, from both
// ends, must be exactly those found on the inputs held whole, whatever the
// chunk size: with no margin, and widened by a margin of lines.
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "ralu/engine/common_ends.h"
#include "ralu/inputs/chunked_ends.h"

namespace {

using fuzz::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::size_t chunk = 1 + input.byte() % 64;
  const std::size_t margin = input.byte() % 8;
  const std::size_t split = input.value<std::uint16_t>();
  const std::string both = input.rest();
  const std::string old_text = both.substr(0, std::min(split, both.size()));
  const std::string new_text = both.substr(old_text.size());

  ralu::MemorySource old_source(old_text), new_source(new_text);
  const ralu::ChunkedEnds ends = ralu::find_chunked_ends(old_source, new_source, chunk);
  check(ends.identical == (old_text == new_text));
  if (ends.identical) return 0;

  const ralu::CommonEnds whole = ralu::find_common_ends(old_text, new_text, 0);
  check(ends.head_bytes == whole.head_bytes && ends.head_lines == whole.head_lines);
  check(ends.old_tail_start == whole.old_tail_start && ends.new_tail_start == whole.new_tail_start);

  const ralu::Window window = ralu::widen_middles(old_source, ends, margin, margin, chunk);
  const ralu::CommonEnds widened = ralu::find_common_ends(old_text, new_text, margin);
  check(window.begin == widened.head_bytes && window.first_line == widened.head_lines);
  check(window.old_end == widened.old_tail_start && window.new_end == widened.new_tail_start);
  return 0;
}
