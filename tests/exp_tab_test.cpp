// exp_tab: tab stops, the 2048-column limit and its exit, and the chosen
// treatment of widths below 1.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "common/common.h"
#include "tests/support/capture.h"

namespace {

constexpr std::size_t columns = common::exp_tab_columns;

std::string plain(std::size_t count) { return std::string(count, 'p'); }
std::string tabs(std::size_t count) { return std::string(count, '\t'); }
std::string blanks(std::size_t count) { return std::string(count, ' '); }

struct Case {
  const char* name;
  std::int32_t width;
  std::string text;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

std::string case_name(const testing::TestParamInfo<Case>& param_info) {
  return param_info.param.name;
}

class ExpTabFits : public testing::TestWithParam<Case> {};

TEST_P(ExpTabFits, ExpandsToTheNextStop) {
  const Case& c = GetParam();
  EXPECT_EQ(std::string(common::exp_tab(c.width, c.text.c_str())), c.expected);
  const char* tried = common::try_exp_tab(c.width, c.text.c_str());
  ASSERT_NE(tried, nullptr);
  EXPECT_EQ(std::string(tried), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Stops, ExpTabFits,
    testing::Values(Case{"empty", 8, "", ""}, Case{"mid_line", 8, "ab\tx", "ab" + blanks(6) + "x"},
                    Case{"tab_on_a_stop_takes_a_full_width", 8, "12345678\tx",
                         "12345678" + blanks(8) + "x"},
                    Case{"tab_before_a_stop_takes_one", 8, "1234567\tx", "1234567 x"},
                    Case{"width_1", 1, "a\tb\t\t", "a b  "},
                    Case{"width_4_leading_tab", 4, "\tx", "    x"},
                    Case{"double_byte_fills_two_columns", 3, "\x82\xa0\tx", "\x82\xa0 x"},
                    Case{"cr_and_lf_take_a_column", 8, "ab\r\n\tx", "ab\r\n    x"},
                    Case{"no_width_limit_below_the_area", 2047, "a\t", "a" + blanks(2046)},
                    Case{"width_0_acts_as_1", 0, "a\tb\t", "a b "},
                    Case{"negative_width_acts_as_1", -8, "\t\tx", "  x"},
                    Case{"int_min_width_acts_as_1", INT32_MIN, "a\tb", "a b"}),
    case_name);

INSTANTIATE_TEST_SUITE_P(
    AreaBoundary, ExpTabFits,
    testing::Values(
        Case{"full_area_of_plain_bytes", 8, plain(columns), plain(columns)},
        Case{"tab_to_eight_short_of_the_end", 8, plain(columns - 9) + "\t",
             plain(columns - 9) + blanks(1)},
        Case{"tab_then_plain_to_the_last_column", 8, plain(columns - 9) + "\t" + plain(8),
             plain(columns - 9) + blanks(1) + plain(8)},
        Case{"tab_in_the_middle", 8, plain(1024) + "\ty", plain(1024) + blanks(8) + "y"},
        Case{"255_tabs_then_8_plain", 8, tabs(255) + plain(8), blanks(2040) + plain(8)},
        Case{"width_1_full_area_of_tabs", 1, tabs(columns - 1) + "x", blanks(columns - 1) + "x"}),
    case_name);

TEST(ExpTab, AlwaysReturnsTheSameArea) {
  const char* first = common::exp_tab(8, "one");
  EXPECT_EQ(common::exp_tab(8, "\ttwo"), first);
  EXPECT_STREQ(first, "        two");
}

struct TooLongCase {
  const char* name;
  std::int32_t width;
  std::string text;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TooLongCase& c, std::ostream* os) { *os << c.name; }

class ExpTabTooLong : public testing::TestWithParam<TooLongCase> {};

TEST_P(ExpTabTooLong, TryReturnsNull) {
  EXPECT_EQ(common::try_exp_tab(GetParam().width, GetParam().text.c_str()), nullptr);
}

// The message goes to standard output; the child shows only that on the
// standard error the death test checks, so a message on the wrong stream
// would not match.
TEST_P(ExpTabTooLong, WritesTheUnexpandedTextToStandardOutputAndExits1) {
  const TooLongCase& c = GetParam();
  EXPECT_EXIT(
      {
        test_support::show_only_stdout_on_stderr();
        common::exp_tab(c.width, c.text.c_str());
      },
      testing::ExitedWithCode(1), testing::Eq(c.text + " ... too long\n"));
}

INSTANTIATE_TEST_SUITE_P(
    ExpTabDeathTest, ExpTabTooLong,
    testing::Values(TooLongCase{"one_plain_byte_past_the_area", 8, plain(columns + 1)},
                    TooLongCase{"tab_stop_exactly_at_the_end", 8, plain(columns - 8) + "\t"},
                    TooLongCase{"tab_stop_at_the_end_after_tabs", 8, tabs(256)},
                    TooLongCase{"tab_after_a_full_area", 8, plain(columns) + "\t"},
                    TooLongCase{"tab_stop_beyond_the_end", 3, plain(columns - 2) + "\tx"},
                    TooLongCase{"width_of_the_whole_area", common::exp_tab_columns, "\t"},
                    TooLongCase{"huge_width", INT32_MAX, "a\tb"},
                    TooLongCase{"width_1_tab_into_the_last_column", 1, tabs(columns)},
                    TooLongCase{"percent_in_the_text_is_not_a_format", 8, "%s%d" + plain(columns)}),
    [](const testing::TestParamInfo<TooLongCase>& param_info) {
      return std::string(param_info.param.name);
    });

}  // namespace
