// The double-byte-aware string routines on arbitrary bytes: each works on a
// heap copy sized exactly to the string and its terminator, so the sanitizer
// sees any read past the terminator, and each result is checked against an
// independent walk over the unit boundaries.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/common.h"
#include "fuzz/fuzz_input.h"

namespace {

using fuzz::check;

std::unique_ptr<char[]> exact_copy(const std::string& text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

bool scanning_lead(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
bool katakana_lead(unsigned char byte) { return byte >= 0x80 && !(byte >= 0xA1 && byte <= 0xDF); }

// Where the units begin, and whether each is a single byte.
struct Unit {
  std::size_t start;
  bool single;
};

std::vector<Unit> units(const std::string& text, bool (*lead)(unsigned char)) {
  std::vector<Unit> result;
  for (std::size_t i = 0; i < text.size();) {
    const bool pair = lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    result.push_back({i, !pair});
    i += pair ? 2 : 1;
  }
  return result;
}

long offset_of(const char* found, const char* base) { return found ? found - base : -1; }

void check_searches(const std::string& text, unsigned char ch, const std::string& set) {
  const auto copy = exact_copy(text);
  const auto set_copy = exact_copy(set);
  long first = -1, last = -1, in_set = -1;
  for (const Unit& unit : units(text, scanning_lead)) {
    const auto byte = static_cast<unsigned char>(text[unit.start]);
    if (ch != 0 && byte == ch) {
      if (first < 0) first = static_cast<long>(unit.start);
      last = static_cast<long>(unit.start);
    }
    if (in_set < 0 && unit.single && set.find(static_cast<char>(byte)) != std::string::npos) {
      in_set = static_cast<long>(unit.start);
    }
  }
  check(offset_of(common::Strchr(copy.get(), ch), copy.get()) == first);
  check(offset_of(common::Strrchr(copy.get(), ch), copy.get()) == last);
  check(offset_of(common::index2(copy.get(), set_copy.get()), copy.get()) == in_set);
  check(offset_of(common::index(copy.get(), ch), copy.get()) ==
        (ch == 0 || text.find(static_cast<char>(ch)) == std::string::npos
             ? -1
             : static_cast<long>(text.find(static_cast<char>(ch)))));
  check(offset_of(common::rindex(copy.get(), ch), copy.get()) ==
        (ch == 0 || text.rfind(static_cast<char>(ch)) == std::string::npos
             ? -1
             : static_cast<long>(text.rfind(static_cast<char>(ch)))));
}

void check_case_mapping(const std::string& text) {
  std::string upper = text, lower = text;
  for (const Unit& unit : units(text, katakana_lead)) {
    if (!unit.single) continue;
    char& up = upper[unit.start];
    char& down = lower[unit.start];
    if (up >= 'a' && up <= 'z') up = static_cast<char>(up - 0x20);
    if (down >= 'A' && down <= 'Z') down = static_cast<char>(down + 0x20);
  }
  const auto upper_copy = exact_copy(text);
  const auto lower_copy = exact_copy(text);
  common::to_upper(upper_copy.get());
  common::to_lower(lower_copy.get());
  check(std::memcmp(upper_copy.get(), upper.c_str(), text.size() + 1) == 0);
  check(std::memcmp(lower_copy.get(), lower.c_str(), text.size() + 1) == 0);
}

// With neither value a lead byte nor 0, units keep their boundaries, so the
// replacement happens exactly at the unit starts of the original.
void check_replacement(const std::string& text, unsigned char search, unsigned char replacement) {
  const auto copy = exact_copy(text);
  common::ChgChr(copy.get(), search, replacement);
  if (search == 0 || replacement == 0 || scanning_lead(search) || scanning_lead(replacement)) {
    return;  // the sanitizer still watches the walk
  }
  std::string expected = text;
  for (const Unit& unit : units(text, scanning_lead)) {
    if (static_cast<unsigned char>(text[unit.start]) == search) {
      expected[unit.start] = static_cast<char>(replacement);
    }
  }
  check(std::memcmp(copy.get(), expected.c_str(), text.size() + 1) == 0);
}

long separators(const std::string& path) {
  long count = 0;
  for (const Unit& unit : units(path, scanning_lead)) count += path[unit.start] == '\\';
  return count;
}

void check_order(const std::string& a, const std::string& b) {
  const auto a_copy = exact_copy(a);
  const auto b_copy = exact_copy(b);
  const int forward = common::StrCmp(a_copy.get(), b_copy.get());
  check(forward >= -1 && forward <= 1);
  check(common::StrCmp(b_copy.get(), a_copy.get()) == -forward);
  check(common::StrCmp(a_copy.get(), a_copy.get()) == 0);

  struct Entry {
    const char* path;
  };
  const Entry first{a_copy.get()}, second{b_copy.get()};
  const Entry* first_pointer = &first;
  const Entry* second_pointer = &second;
  const int ordered = common::comp_file(&first_pointer, &second_pointer);
  const long depth_a = separators(a), depth_b = separators(b);
  check(ordered == (depth_a < depth_b ? -1 : depth_a > depth_b ? 1 : forward));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::string a = input.text();
  const std::string b = input.text();
  const std::uint8_t ch = input.byte();
  const std::uint8_t replacement = input.byte();
  const std::string set = input.text();
  check_searches(a, ch, set);
  check_case_mapping(a);
  check_replacement(a, ch, replacement);
  check_order(a, b);
  return 0;
}
