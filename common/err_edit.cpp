// The diagnostic formatter and the two routines that write diagnostics.
//
// Composition happens in one static area of err_edit_area_size bytes and never
// touches the heap: the memory helpers report allocation failures through here.
// Texts longer than the area are written in pieces as the area fills, so a
// diagnostic quoting a very long argument still comes out whole.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "common/common.h"

namespace common {

std::int32_t errmsg_output_flg = 0;

namespace {

char composition_area[err_edit_area_size];

// Collects composed bytes in the composition area. With an output stream, a
// full area is written out and reused; without one, bytes that do not fit are
// dropped. Writing stops for good at the first NUL byte, as "%s" would.
class Composer {
 public:
  explicit Composer(std::FILE* out) : out_(out) {}

  void put(const char* bytes, std::size_t count) {
    while (count > 0) {
      if (used_ == capacity) {
        if (out_ == nullptr) return;
        spill();
      }
      const std::size_t chunk = std::min(count, capacity - used_);
      std::memcpy(composition_area + used_, bytes, chunk);
      used_ += chunk;
      bytes += chunk;
      count -= chunk;
    }
  }

  void put(char byte) { put(&byte, 1); }

  const char* finish() {
    composition_area[used_] = '\0';
    if (out_ != nullptr) spill();
    return composition_area;
  }

 private:
  static constexpr std::size_t capacity = err_edit_area_size - 1;

  void spill() {
    if (!stopped_) {
      const void* nul = std::memchr(composition_area, '\0', used_);
      const std::size_t length =
          nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - composition_area) : used_;
      std::fwrite(composition_area, 1, length, out_);
      stopped_ = nul != nullptr;
    }
    used_ = 0;
  }

  std::FILE* out_;
  std::size_t used_ = 0;
  bool stopped_ = false;
};

// Hands out the caller's values in order; null once they are used up.
class ValueList {
 public:
  explicit ValueList(std::span<const ErrArg> values) : values_(values) {}
  const ErrArg* next() { return next_ < values_.size() ? &values_[next_++] : nullptr; }

 private:
  std::span<const ErrArg> values_;
  std::size_t next_ = 0;
};

// A double as a 32-bit int the way a C cast would take it, but defined for
// values out of range (saturated) and NaN (zero).
std::int32_t truncate_to_int32(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

bool as_integer(const ErrArg* value, std::int32_t& out) {
  if (value == nullptr || value->kind() == ErrArg::Kind::text) return false;
  out =
      value->kind() == ErrArg::Kind::integer ? value->integer() : truncate_to_int32(value->real());
  return true;
}

bool as_real(const ErrArg* value, double& out) {
  if (value == nullptr || value->kind() == ErrArg::Kind::text) return false;
  out = value->kind() == ErrArg::Kind::real ? value->real() : value->integer();
  return true;
}

void put_decimal(Composer& out, std::int32_t value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.put(digits, static_cast<std::size_t>(end - digits));
}

void put_hex(Composer& out, std::int32_t value) {
  char digits[16];
  const auto end =
      std::to_chars(digits, digits + sizeof digits, static_cast<std::uint32_t>(value), 16).ptr;
  out.put(digits, static_cast<std::size_t>(end - digits));
}

// Fixed-point with six decimals, digit for digit what "%f" prints. The largest
// double has 309 integer digits, so the buffer always suffices.
void put_fixed(Composer& out, double value) {
  char digits[400];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
  out.put(digits, static_cast<std::size_t>(result.ptr - digits));
}

void put_text(Composer& out, const ErrArg* value) {
  if (value == nullptr || value->kind() != ErrArg::Kind::text) return;
  const char* text = value->text() ? value->text() : "(null)";
  out.put(text, std::strlen(text));
}

// Writes one conversion. Every conversion, known or not, uses up one value.
void convert(Composer& out, char conversion, ValueList& values) {
  const ErrArg* value = values.next();
  std::int32_t integer = 0;
  double real = 0.0;
  switch (conversion) {
    case 'c':
      if (as_integer(value, integer)) out.put(static_cast<char>(integer & 0xFF));
      break;
    case 'd':
      if (as_integer(value, integer)) put_decimal(out, integer);
      break;
    case 'x':
      if (as_integer(value, integer)) put_hex(out, integer);
      break;
    case 's':
      put_text(out, value);
      break;
    case 'f':
      if (as_real(value, real)) put_fixed(out, real);
      break;
    default:
      out.put('?');
      if (conversion != '\0') out.put(conversion);
      break;
  }
}

const char* compose(const char* format, std::span<const ErrArg> list, Composer& out) {
  ValueList values(list);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out.put(*p);
      continue;
    }
    const char conversion = *++p;
    convert(out, conversion, values);
    // A '%' at the very end took the terminator as its conversion character.
    if (conversion == '\0') break;
  }
  return out.finish();
}

}  // namespace

const char* verr_edit(const char* format, std::span<const ErrArg> values) {
  Composer area_only(nullptr);
  return compose(format, values, area_only);
}

void verrmsg(const char* format, std::span<const ErrArg> values) {
  Composer out(errfp == errfp_stdout() ? stdout : stderr);
  compose(format, values, out);
  errmsg_output_flg = 1;
}

void verrmsg1(const char* format, std::span<const ErrArg> values) {
  std::FILE* stream = errfp == nullptr ? stderr : errfp == errfp_stdout() ? stdout : errfp;
  Composer out(stream);
  compose(format, values, out);
}

}  // namespace common
