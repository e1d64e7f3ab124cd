#include "ralu/formats/printed_number.h"

#include <climits>
#include <string_view>

namespace ralu {

namespace {

// The value's digits in the layout's base, into the end of `digits`; a zero
// precision prints no digit for zero, as printf does.
std::string_view digits_of(const NumberLayout& layout, std::uint64_t value, char (&digits)[64]) {
  const char* const symbols = layout.upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
  char* const end = digits + sizeof digits;
  char* first = end;
  for (; value != 0; value /= layout.base) *--first = symbols[value % layout.base];
  if (first == end && !(layout.has_precision && layout.precision == 0)) *--first = '0';
  return {first, static_cast<std::size_t>(end - first)};
}

}  // namespace

void put_printed_number(ReportWriter& out, const NumberLayout& layout, std::uint64_t value) {
  if (layout.width > INT_MAX || layout.precision > INT_MAX) return;
  char buffer[64];
  const std::string_view digits = digits_of(layout, value, buffer);
  const std::size_t zeros = layout.precision > digits.size()
                                ? static_cast<std::size_t>(layout.precision) - digits.size()
                                : 0;
  const std::size_t length = zeros + digits.size();
  const std::size_t padding =
      layout.width > length ? static_cast<std::size_t>(layout.width) - length : 0;
  // printf's '0' flag pads with zeros, unless the number is left aligned or
  // has a precision.
  const bool zero_padding = layout.zero_padded && !layout.left_aligned && !layout.has_precision;
  if (!layout.left_aligned) out.put_repeated(zero_padding ? '0' : ' ', padding);
  out.put_repeated('0', zeros);
  out.put(digits);
  if (layout.left_aligned) out.put_repeated(' ', padding);
}

}  // namespace ralu
