// Properties over seeded random Shift-JIS-like strings, checked against simple
// models written from the rules rather than from the library's code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::c_string;
using test_support::offset_in;

// Bytes where the rules and the order have their edges: letters of both cases,
// the backslash and its neighbours, the blank, every kind of high byte.
const std::string alphabet = "aAbB\\ _[\x40\x7f\x80\x81\x95\x9f\xa0\xa1\xb1\xdf\xe0\xfc\xfd\xff";

std::vector<std::string> random_strings(unsigned seed, std::size_t count) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<std::size_t> length(0, 8);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::vector<std::string> strings;
  for (std::size_t i = 0; i < count; ++i) {
    std::string text(length(generator), ' ');
    for (char& byte : text) byte = alphabet[pick(generator)];
    strings.push_back(text);
  }
  return strings;
}

// Where the units of the scanning rule start.
std::vector<std::size_t> unit_starts(const std::string& text) {
  const auto leads = [](unsigned char byte) {
    return (0x80 <= byte && byte <= 0x9f) || (0xe0 <= byte && byte <= 0xfc);
  };
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    i += leads(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return starts;
}

TEST(StringProperties, StrchrAndStrrchrFindFirstAndLastMatchingUnitStart) {
  for (const std::string& text : random_strings(20240611, 400)) {
    const auto buffer = c_string(text);
    const std::vector<std::size_t> starts = unit_starts(text);
    for (const char ch : alphabet) {
      std::vector<std::ptrdiff_t> matches;
      for (const std::size_t start : starts) {
        if (text[start] == ch) matches.push_back(static_cast<std::ptrdiff_t>(start));
      }
      const std::ptrdiff_t first = matches.empty() ? -1 : matches.front();
      const std::ptrdiff_t last = matches.empty() ? -1 : matches.back();
      EXPECT_EQ(offset_in(buffer, common::Strchr(buffer.data(), ch)), first) << text;
      EXPECT_EQ(offset_in(buffer, common::Strrchr(buffer.data(), ch)), last) << text;
    }
  }
}

// The order StrCmp gives, as a key per unit of the katakana rule: the end
// lowest (a shorter key sequence that is a prefix sorts first), then bytes
// below 0x80 by lower case with the backslash first, then half-width katakana
// by value, then double-byte characters by lead and unfolded trail byte (a
// missing trail byte lowest).
using UnitKey = std::tuple<int, int, int>;

std::vector<UnitKey> order_keys(const std::string& text) {
  std::vector<UnitKey> keys;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      const int lower = 'A' <= byte && byte <= 'Z' ? byte + 32 : byte;
      keys.emplace_back(0, byte == '\\' ? -1 : lower, 0);
    } else if (0xa1 <= byte && byte <= 0xdf) {
      keys.emplace_back(1, byte, 0);
    } else if (i + 1 < text.size()) {
      keys.emplace_back(2, byte, static_cast<unsigned char>(text[++i]));
    } else {
      keys.emplace_back(2, byte, -1);
    }
  }
  return keys;
}

int model_order(const std::string& a, const std::string& b) {
  const auto keys_a = order_keys(a);
  const auto keys_b = order_keys(b);
  if (keys_a == keys_b) return 0;
  return keys_a < keys_b ? -1 : 1;
}

TEST(StringProperties, StrCmpAgreesWithModelAndIsAntisymmetric) {
  const auto strings = random_strings(7, 150);
  std::vector<std::vector<char>> buffers;
  for (const std::string& text : strings) buffers.push_back(c_string(text));
  for (std::size_t i = 0; i < strings.size(); ++i) {
    for (std::size_t j = 0; j < strings.size(); ++j) {
      const int forward = common::StrCmp(buffers[i].data(), buffers[j].data());
      const int backward = common::StrCmp(buffers[j].data(), buffers[i].data());
      EXPECT_EQ(forward, model_order(strings[i], strings[j])) << strings[i] << " | " << strings[j];
      EXPECT_EQ(forward, -backward) << strings[i] << " | " << strings[j];
    }
  }
}

TEST(StringProperties, StrCmpIsTransitive) {
  // A short alphabet with case pairs makes equal and near-equal strings common.
  const auto strings = random_strings(99, 60);
  std::vector<std::vector<char>> buffers;
  for (const std::string& text : strings) buffers.push_back(c_string(text));
  const auto cmp = [&buffers](std::size_t i, std::size_t j) {
    return common::StrCmp(buffers[i].data(), buffers[j].data());
  };
  std::size_t chains = 0;
  for (std::size_t a = 0; a < strings.size(); ++a) {
    for (std::size_t b = 0; b < strings.size(); ++b) {
      if (cmp(a, b) > 0) continue;
      for (std::size_t c = 0; c < strings.size(); ++c) {
        if (cmp(b, c) > 0) continue;
        ++chains;
        const int expected = cmp(a, b) == 0 && cmp(b, c) == 0 ? 0 : -1;
        EXPECT_EQ(cmp(a, c), expected) << strings[a] << " | " << strings[b] << " | " << strings[c];
      }
    }
  }
  EXPECT_GT(chains, strings.size() * strings.size());
}

}  // namespace
