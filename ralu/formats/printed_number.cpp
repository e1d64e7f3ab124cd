#include "ralu/formats/printed_number.h"

#include <climits>
#include <string_view>

namespace ralu {

namespace {

// The value's digits in the spec's base, into the end of `digits`; a zero
// precision prints no digit for zero, as printf does.
std::string_view digits_of(const NumberSpec& spec, std::uint64_t value, char (&digits)[64]) {
  const char* const symbols = spec.upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
  char* const end = digits + sizeof digits;
  char* first = end;
  for (; value != 0; value /= spec.base) *--first = symbols[value % spec.base];
  if (first == end && !(spec.has_precision && spec.precision == 0)) *--first = '0';
  return {first, static_cast<std::size_t>(end - first)};
}

}  // namespace

void put_printed_number(ReportWriter& out, const NumberSpec& spec, std::uint64_t value) {
  if (spec.width > INT_MAX || spec.precision > INT_MAX) return;
  char buffer[64];
  const std::string_view digits = digits_of(spec, value, buffer);
  const std::size_t zeros =
      spec.precision > digits.size() ? static_cast<std::size_t>(spec.precision) - digits.size() : 0;
  const std::size_t length = zeros + digits.size();
  const std::size_t padding =
      spec.width > length ? static_cast<std::size_t>(spec.width) - length : 0;
  // printf's '0' flag pads with zeros, unless the number is left aligned or
  // has a precision.
  const bool zero_padding = spec.zero_padded && !spec.left_aligned && !spec.has_precision;
  if (!spec.left_aligned) out.put_repeated(zero_padding ? '0' : ' ', padding);
  out.put_repeated('0', zeros);
  out.put(digits);
  if (spec.left_aligned) out.put_repeated(' ', padding);
}

}  // namespace ralu
