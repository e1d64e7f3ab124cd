// Tab expansion against a direct model: a text that fits 2048 columns comes
// back expanded exactly; a longer one is refused. The refusing form is the
// same expansion without the exit, which a fuzzer cannot survive.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "common/common.h"
#include "fuzz/fuzz_input.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The expansion, or nothing when some byte or tab stop passes column 2048.
bool model(std::int32_t width, const std::string& text, std::string& out) {
  const long long stop_width = std::max<std::int32_t>(width, 1);
  for (char byte : text) {
    const long long column = static_cast<long long>(out.size());
    if (byte == '\t') {
      const long long stop = column + stop_width - column % stop_width;
      if (stop >= common::exp_tab_columns) return false;
      out.append(static_cast<std::size_t>(stop - column), ' ');
    } else {
      if (column >= common::exp_tab_columns) return false;
      out += byte;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::int32_t raw_width = input.value<std::int32_t>();
  const std::int32_t width = (raw_width & 0x10000) ? raw_width : (raw_width & 0x3F) - 2;
  // Short inputs reach the column limit through tabs or through repetition.
  const std::string piece = input.text();
  const int copies = 1 + input.byte() % 64;
  std::string text;
  for (int i = 0; i < copies; ++i) text += piece;

  std::string expected;
  const bool fits = model(width, text, expected);
  const char* result = common::try_exp_tab(width, text.c_str());
  check((result != nullptr) == fits);
  if (fits) check(expected == result);
  return 0;
}
