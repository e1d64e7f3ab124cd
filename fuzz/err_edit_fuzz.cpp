// The diagnostic formatter against a model built on the C library's printf:
// err_edit keeps the first 1023 bytes of the model's text, and errmsg1 writes
// the model's text whole, up to its first NUL, whatever its length.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/common.h"
#include "fuzz/fuzz_input.h"

namespace {

using common::ErrArg;

std::string printed(const char* format, auto value) {
  char buffer[512];
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer, static_cast<std::size_t>(length));
}

// What the formatter should compose, without any limit on the length.
std::string model(const std::string& format, const std::vector<ErrArg>& values) {
  std::string text;
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      text += format[i];
      continue;
    }
    const char conversion = i + 1 < format.size() ? format[++i] : '\0';
    const ErrArg* value = next < values.size() ? &values[next++] : nullptr;
    const bool number = value != nullptr && value->kind() != ErrArg::Kind::text;
    const bool is_int = value != nullptr && value->kind() == ErrArg::Kind::integer;
    // The formatter truncates a double toward zero for integer conversions.
    auto as_int = [&] {
      if (is_int) return value->integer();
      const double real = value->real();
      if (real != real) return 0;
      if (real >= 2147483647.0) return 2147483647;
      if (real <= -2147483648.0) return -2147483647 - 1;
      return static_cast<int>(real);
    };
    switch (conversion) {
      case 'c':
        if (number) text += static_cast<char>(as_int() & 0xFF);
        break;
      case 'd':
        if (number) text += printed("%d", as_int());
        break;
      case 'x':
        if (number) text += printed("%x", static_cast<unsigned>(as_int()));
        break;
      case 'f':
        if (number) text += printed("%f", is_int ? double(value->integer()) : value->real());
        break;
      case 's':
        if (value != nullptr && value->kind() == ErrArg::Kind::text) text += value->text();
        break;
      default:
        text += '?';
        if (conversion != '\0') text += conversion;
        break;
    }
    if (conversion == '\0') break;
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::string format = input.text();
  std::vector<std::string> texts;
  texts.reserve(16);
  std::vector<ErrArg> values;
  while (!input.empty() && values.size() < 16) {
    switch (input.byte() % 4) {
      case 0:
        values.emplace_back(input.value<std::int32_t>());
        break;
      case 1: {
        double real = input.value<double>();
        if (real > 1e300 || real < -1e300) real = 0;  // keep printf's text under 512 bytes
        values.emplace_back(real);
        break;
      }
      case 2:
        texts.push_back(input.text());
        values.emplace_back(texts.back().c_str());
        break;
      default: {  // a long text from a short input
        const std::string piece = input.text();
        texts.push_back(std::string());
        for (int i = 0; i < input.byte() * 8 && !piece.empty(); ++i) texts.back() += piece;
        values.emplace_back(texts.back().c_str());
        break;
      }
    }
  }

  const std::string expected = model(format, values);
  const std::string composed(common::verr_edit(format.c_str(), values));
  const std::string kept = expected.substr(0, common::err_edit_area_size - 1);
  if (composed != kept.substr(0, kept.find('\0'))) std::abort();

  char* written = nullptr;
  std::size_t written_size = 0;
  std::FILE* stream = open_memstream(&written, &written_size);
  common::errfp = stream;
  common::verrmsg1(format.c_str(), values);
  std::fclose(stream);
  common::errfp = nullptr;
  const bool whole = std::string(written, written_size) == expected.substr(0, expected.find('\0'));
  std::free(written);
  if (!whole) std::abort();
  return 0;
}
