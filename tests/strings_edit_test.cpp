// Editing byte strings in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::bytes_of;
using test_support::c_string;

const auto case_name = [](const auto& info) { return std::string(info.param.name); };

struct Change {
  const char* name;
  std::string text;
  int search;
  int replacement;
  std::string expected;  // the whole buffer after the change, terminator included
};

class ChgChrTable : public testing::TestWithParam<Change> {};

TEST_P(ChgChrTable, ReplacesUnitStartingBytes) {
  const Change& c = GetParam();
  auto text = c_string(c.text);
  EXPECT_EQ(common::ChgChr(text.data(), c.search, c.replacement), text.data());
  EXPECT_EQ(bytes_of(text), c.expected);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Strings, ChgChrTable,
    testing::Values(Change{"backslash_to_slash", "a\\\x95\x5c\\b", '\\', '/', "a/\x95\x5c/b\0"s},
                    Change{"trail_letter_kept",
                           "\x82"
                           "aa",
                           'a', 'b',
                           "\x82"
                           "ab\0"s},
                    Change{"blank_to_terminator", " a b ", ' ', 0, "\0a\0b\0\0"s},
                    Change{"search_zero_changes_nothing", "ab", 0, 'x', "ab\0"s},
                    Change{"low_bytes_only", "a\\b", 0x15c, 0x32f, "a/b\0"s},
                    // A new lead byte takes the next byte as its trail byte.
                    Change{"new_lead_hides_next", "xx", 'x', 0x81, "\x81x\0"s},
                    // A replaced lead byte lets its former trail byte be looked at.
                    Change{"old_lead_frees_trail", "\x81\x81\x81", 0x81, 'a', "aaa\0"s},
                    Change{"lead_before_terminator", "a\x81", 0x81, 'b', "ab\0"s},
                    Change{"cut_before_character", "a \x81 ", ' ', 0, "a\0\x81 \0"s}),
    case_name);

struct Insertion {
  const char* name;
  std::string text;
  int ch;
  std::string expected;
};

class InsCharTable : public testing::TestWithParam<Insertion> {};

TEST_P(InsCharTable, PutsByteInFront) {
  const Insertion& c = GetParam();
  auto text = c_string(c.text, 1);  // exactly the two bytes of room it needs
  EXPECT_EQ(common::insChar(text.data(), c.ch), 0);
  EXPECT_EQ(bytes_of(text), c.expected + '\0');
}

INSTANTIATE_TEST_SUITE_P(Strings, InsCharTable,
                         testing::Values(Insertion{"empty", "", 'x', "x"},
                                         Insertion{"word", "bc", 'a', "abc"},
                                         Insertion{"low_byte", "\x95\x5c", 0x381, "\x81\x95\x5c"}),
                         case_name);

TEST(Strings, ClearFillsCountBytesWithoutTerminator) {
  std::vector<char> buffer(4, 'x');
  common::clear(buffer.data(), 0x12e, 3);
  EXPECT_EQ(bytes_of(buffer), "...x");
}

TEST(Strings, ClearWithCountOfZeroOrLessWritesNothing) {
  for (const int count : {0, -1, -2147483647 - 1}) {
    std::vector<char> buffer(1, 'x');
    common::clear(buffer.data() + 1, '.', count);  // no room at all: writing would fault
    common::clear(buffer.data(), '.', count);
    EXPECT_EQ(bytes_of(buffer), "x");
  }
}

}  // namespace
