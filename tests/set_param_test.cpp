// SetParam: token forms, the character limit, double-byte characters and the
// returned position, as (source, limit, token bytes, position offset) cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "common/common.h"

namespace {

struct Case {
  const char* name;
  std::string source;
  std::int32_t limit;
  std::string token;
  std::ptrdiff_t position;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

constexpr unsigned char untouched = 0xEE;

bool has_lead_byte(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  });
}

// The most bytes SetParam may write for this case: limit bytes for
// single-byte text, 2 * limit - 1 with double-byte characters, at least 2.
std::size_t allowed_bytes(const Case& c) {
  const std::int64_t limit = c.limit;
  return static_cast<std::size_t>(
      std::max<std::int64_t>(2, has_lead_byte(c.source) ? 2 * limit - 1 : limit));
}

std::string case_name(const testing::TestParamInfo<Case>& param_info) {
  return param_info.param.name;
}

class SetParamTable : public testing::TestWithParam<Case> {};

TEST_P(SetParamTable, TakesTheTokenAndStopsWhereExpected) {
  const Case& c = GetParam();
  std::array<unsigned char, 256> destination;
  destination.fill(untouched);
  const auto* source = reinterpret_cast<const unsigned char*>(c.source.c_str());

  const unsigned char* stop = common::SetParam(source, destination.data(), c.limit);

  EXPECT_EQ(std::string(reinterpret_cast<const char*>(destination.data())), c.token);
  EXPECT_EQ(stop - source, c.position);
  const auto last_written = std::find_if(destination.rbegin(), destination.rend(),
                                         [](unsigned char b) { return b != untouched; });
  EXPECT_LE(static_cast<std::size_t>(destination.rend() - last_written), allowed_bytes(c));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SetParamTable,
    testing::Values(Case{"empty_source", "", 16, "", 0},
                    Case{"blanks_and_tabs_only", " \t \t", 16, "", 4},
                    Case{"quoted_keeps_blanks_and_equals", "  \"a b=c\" rest", 16, "a b=c", 8},
                    Case{"quoted_unclosed", "\"abc", 16, "abc", 4},
                    Case{"lone_quote", "\"", 16, "", 1}, Case{"empty_quotes", "\"\"x", 16, "", 1},
                    Case{"bracket_in_quotes_is_plain", "\"[a]\"", 16, "[a]", 4},
                    Case{"group_keeps_both_brackets", "[a b]x", 16, "[a b]", 4},
                    Case{"group_unclosed", "[abc", 16, "[abc", 4},
                    Case{"group_ends_at_first_close", "[a[b]c]", 16, "[a[b]", 4},
                    Case{"group_after_blanks", " \t[=\"]", 16, "[=\"]", 5},
                    Case{"word_ends_at_equals", "key=value", 16, "key", 3},
                    Case{"word_at_equals_is_empty", "=value", 16, "", 0},
                    Case{"word_ends_at_blank", "key = value", 16, "key", 3},
                    Case{"blank_then_equals", " = value", 16, "", 1},
                    Case{"word_ends_at_tab", "ab\tc", 16, "ab", 2},
                    Case{"quote_and_bracket_inside_word", "ab\"c[d e", 16, "ab\"c[d", 6}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    Limit, SetParamTable,
    testing::Values(Case{"word_limit_4", "abcdef", 4, "abc", 3},
                    Case{"quoted_limit_4", "\"abcdef\"", 4, "abc", 4},
                    Case{"group_limit_4_ends_on_last_byte", "[abcdef]", 4, "[ab", 2},
                    Case{"group_limit_6_whole", "[abc]", 6, "[abc]", 4},
                    Case{"group_limit_5_ends_on_c", "[abc]", 5, "[abc", 3},
                    Case{"word_exactly_fits", "abc", 4, "abc", 3},
                    Case{"word_limit_1", "abc", 1, "", 0}, Case{"word_limit_0", "abc", 0, "", 0},
                    Case{"word_limit_int_min", "abc", INT32_MIN, "", 0},
                    Case{"word_limit_int_max", "abc def", INT32_MAX, "abc", 3},
                    Case{"quoted_limit_1_past_the_quote", "\"abc\"", 1, "", 1},
                    Case{"group_limit_3", "[abc]", 3, "[a", 1},
                    Case{"group_limit_2_opening_only", "[abc]", 2, "[", 0},
                    Case{"group_limit_int_min_opening_only", "[abc]", INT32_MIN, "[", 0},
                    Case{"group_empty_limit_2", "[]", 2, "[", 0},
                    Case{"group_empty_limit_3", "[]", 3, "[]", 1}),
    case_name);

// \x82\xa0 and \x82\xa2 are two double-byte characters.
INSTANTIATE_TEST_SUITE_P(
    DoubleByte, SetParamTable,
    testing::Values(Case{"word_limit_2_takes_one", "\x82\xa0\x82\xa2", 2, "\x82\xa0", 2},
                    Case{"word_limit_3_takes_both", "\x82\xa0\x82\xa2", 3, "\x82\xa0\x82\xa2", 4},
                    Case{"quoted_never_split",
                         "\"a\x82\xa0\x62\"",  // \x62 is b
                         3, "a\x82\xa0", 4},
                    Case{"group_limit_4_ends_on_a_lead_byte", "[\x82\xa0\x82\xa2]", 4,
                         "[\x82\xa0\x82", 3},
                    Case{"second_byte_close_bracket", "[\x81]]x", 16, "[\x81]]", 3},
                    Case{"second_byte_quote", "\"\x81\"x\"", 16, "\x81\"x", 4},
                    Case{"second_byte_equals", "\x81=x=y", 16, "\x81=x", 3},
                    Case{"second_byte_blank", "\x81 b c", 16, "\x81 b", 3},
                    Case{"second_byte_tab", "\xe0\tb c", 16, "\xe0\tb", 3},
                    Case{"lead_before_end_in_word", "ab\x81", 16, "ab\x81", 3},
                    Case{"lead_before_end_in_group", "[\xfc", 16, "[\xfc", 2},
                    Case{"lowest_lead_byte",
                         "\x80\x41=1",  // \x41 is A
                         16, "\x80\x41", 2},
                    Case{"highest_lead_byte", "\xfc= x", 16, "\xfc=", 2},
                    Case{"katakana_byte_is_single", "\xa1=x", 16, "\xa1", 1},
                    Case{"byte_above_lead_range_is_single", "\xfd=x", 16, "\xfd", 1}),
    case_name);

// A caller walks a parameter string by calling again from where a token ended,
// stepping over the delimiter itself.
TEST(SetParam, WalksAParameterStringTokenByToken) {
  const char* position = "name = \"a b\" [x y] -v";
  char token[32];
  std::vector<std::string> tokens;
  position = common::SetParam(position, token, 32);
  tokens.emplace_back(token);
  position = common::SetParam(position, token, 32);  // stops at '='
  EXPECT_EQ(*position, '=');
  position = common::SetParam(position + 1, token, 32);
  tokens.emplace_back(token);
  position = common::SetParam(position + 1, token, 32);
  tokens.emplace_back(token);
  position = common::SetParam(position + 1, token, 32);
  tokens.emplace_back(token);
  EXPECT_EQ(*position, '\0');
  EXPECT_EQ(tokens, (std::vector<std::string>{"name", "a b", "[x y]", "-v"}));
}

}  // namespace
