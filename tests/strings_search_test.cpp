// Searches over Shift-JIS byte strings: by units, where a trail byte must never
// be found, and by plain bytes.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <utility>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::c_string;
using test_support::offset_in;

const auto case_name = [](const auto& info) { return std::string(info.param.name); };

// Offsets of the results of the four single-byte searches, -1 for null.
struct ByteSearch {
  const char* name;
  std::string text;
  int ch;
  std::ptrdiff_t strchr, strrchr, index, rindex;
};

class ByteSearchTable : public testing::TestWithParam<ByteSearch> {};

TEST_P(ByteSearchTable, FindsUnitsOrBytes) {
  const ByteSearch& c = GetParam();
  const auto text = c_string(c.text);
  EXPECT_EQ(offset_in(text, common::Strchr(text.data(), c.ch)), c.strchr);
  EXPECT_EQ(offset_in(text, common::Strrchr(text.data(), c.ch)), c.strrchr);
  EXPECT_EQ(offset_in(text, common::index(text.data(), c.ch)), c.index);
  EXPECT_EQ(offset_in(text, common::rindex(text.data(), c.ch)), c.rindex);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, ByteSearchTable,
    testing::Values(
        // 0x95 0x5C is one character whose trail byte is a backslash.
        ByteSearch{"trail_backslash_only", "\x95\x5c", '\\', -1, -1, 1, 1},
        ByteSearch{"separator_before_trail_backslash", "a\\\x95\x5c", '\\', 1, 1, 1, 3},
        ByteSearch{"separators_around_character", "\\\x95\x5c\\", '\\', 0, 3, 0, 3},
        ByteSearch{"lead_byte_at_start", "\x81\x40", 0x81, 0, 0, 0, 0},
        ByteSearch{"lead_byte_as_trail", "\x81\x81", 0x81, 0, 0, 0, 1},
        ByteSearch{"lead_byte_after_character", "\x81\x81\x81", 0x81, 0, 2, 0, 2},
        ByteSearch{"lead_byte_before_terminator", "a\x81", 0x81, 1, 1, 1, 1},
        ByteSearch{"letter_as_trail",
                   "\x82"
                   "AA",
                   'A', 2, 2, 1, 2},
        ByteSearch{"zero_is_never_found", "ab", 0, -1, -1, -1, -1},
        ByteSearch{"zero_in_high_bits_only", "ab", 0x100, -1, -1, -1, -1},
        ByteSearch{"low_byte_counts", "a\\b", 0x15c, 1, 1, 1, 1},
        ByteSearch{"negative_char_argument", "a\xe9", -0x17, 1, 1, 1, 1},
        ByteSearch{"empty", "", 'a', -1, -1, -1, -1}),
    case_name);

struct PatternSearch {
  const char* name;
  std::string text;
  std::string pattern;
  std::ptrdiff_t found;
};

class Index1Table : public testing::TestWithParam<PatternSearch> {};

TEST_P(Index1Table, FindsFirstOccurrence) {
  const PatternSearch& c = GetParam();
  const auto text = c_string(c.text);
  const auto pattern = c_string(c.pattern);
  EXPECT_EQ(offset_in(text, common::index1(text.data(), pattern.data())), c.found);
}

INSTANTIATE_TEST_SUITE_P(Strings, Index1Table,
                         testing::Values(PatternSearch{"empty_pattern", "abc", "", 0},
                                         PatternSearch{"empty_pattern_in_empty_text", "", "", -1},
                                         PatternSearch{"pattern_in_empty_text", "", "a", -1},
                                         PatternSearch{"middle", "abcabc", "ca", 2},
                                         PatternSearch{"restarts_after_partial_match", "aab", "ab",
                                                       1},
                                         PatternSearch{"pattern_longer_than_text", "ab", "abc", -1},
                                         PatternSearch{"at_end", "xyz", "yz", 1},
                                         PatternSearch{"trail_bytes_count", "\x95\x5c", "\\", 1}),
                         case_name);

class Index2Table : public testing::TestWithParam<PatternSearch> {};

TEST_P(Index2Table, FindsFirstSingleByteUnitInSet) {
  const PatternSearch& c = GetParam();
  const auto text = c_string(c.text);
  const auto set = c_string(c.pattern);
  EXPECT_EQ(offset_in(text, common::index2(text.data(), set.data())), c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, Index2Table,
    testing::Values(PatternSearch{"lead_byte_of_character", "\x81\x81", "\x81", -1},
                    PatternSearch{"lone_lead_byte_before_terminator", "a\x81", "\x81", 1},
                    PatternSearch{"trail_byte_skipped", "\x95\x5cx\\", "\\", 3},
                    PatternSearch{"any_byte_of_set", "abc", "xc", 2},
                    PatternSearch{"first_unit_wins", "abc", "ca", 0},
                    PatternSearch{"empty_set", "abc", "", -1},
                    PatternSearch{"empty_text", "", "a", -1}),
    case_name);

// srch_wild, sp_skip and chr_skip look at plain bytes.
struct Skip {
  const char* name;
  std::string text;
  std::ptrdiff_t wildcard, past_blanks, to_blank;
};

class SkipTable : public testing::TestWithParam<Skip> {};

TEST_P(SkipTable, StopsAtTheRightByte) {
  const Skip& c = GetParam();
  const auto text = c_string(c.text);
  EXPECT_EQ(offset_in(text, common::srch_wild(text.data())), c.wildcard);
  EXPECT_EQ(offset_in(text, common::sp_skip(text.data())), c.past_blanks);
  EXPECT_EQ(offset_in(text, common::chr_skip(text.data())), c.to_blank);
}

INSTANTIATE_TEST_SUITE_P(Strings, SkipTable,
                         testing::Values(Skip{"star_first", "a*b?", 1, 0, 4},
                                         Skip{"question_mark", "ab?", 2, 0, 3},
                                         Skip{"leading_blanks_and_tab", "  \tx y", -1, 3, 0},
                                         Skip{"word_then_tab", "ab\tc", -1, 0, 2},
                                         Skip{"only_blanks", " \t ", -1, 3, 0},
                                         Skip{"empty", "", -1, 0, 0}),
                         case_name);

// Every search hands back a char* for a char* string, so its caller may edit
// through the result, and a const char* for a const one.
template <class Char>
constexpr bool searches_return(Char* text) {
  using Result = Char*;
  return std::is_same_v<decltype(common::Strchr(text, 0)), Result> &&
         std::is_same_v<decltype(common::Strrchr(text, 0)), Result> &&
         std::is_same_v<decltype(common::index(text, 0)), Result> &&
         std::is_same_v<decltype(common::rindex(text, 0)), Result> &&
         std::is_same_v<decltype(common::index1(text, "")), Result> &&
         std::is_same_v<decltype(common::index2(text, "")), Result> &&
         std::is_same_v<decltype(common::srch_wild(text)), Result> &&
         std::is_same_v<decltype(common::sp_skip(text)), Result> &&
         std::is_same_v<decltype(common::chr_skip(text)), Result> &&
         std::is_same_v<decltype(common::findExt(text)), Result>;
}
static_assert(searches_return(static_cast<char*>(nullptr)));
static_assert(searches_return(static_cast<const char*>(nullptr)));

TEST(Strings, EditsThroughSearchResult) {
  auto path = c_string("dir\\name.txt");
  *common::Strrchr(path.data(), '\\') = '/';
  *common::findExt(path.data()) = '_';
  EXPECT_STREQ(path.data(), "dir/name_txt");
}

}  // namespace
