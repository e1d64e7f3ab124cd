// Ordering and case mapping by the katakana rule.
#include <gtest/gtest.h>

#include <string>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::c_string;

const auto case_name = [](const auto& info) { return std::string(info.param.name); };

struct Ordered {
  const char* name;
  std::string a;
  std::string b;
  int expected;  // StrCmp(a, b); StrCmp(b, a) must be its negation
};

class StrCmpTable : public testing::TestWithParam<Ordered> {};

TEST_P(StrCmpTable, OrdersInBothArgumentOrders) {
  const Ordered& c = GetParam();
  const auto a = c_string(c.a);
  const auto b = c_string(c.b);
  EXPECT_EQ(common::StrCmp(a.data(), b.data()), c.expected);
  EXPECT_EQ(common::StrCmp(b.data(), a.data()), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, StrCmpTable,
    testing::Values(Ordered{"both_empty", "", "", 0}, Ordered{"end_first", "", "a", -1},
                    Ordered{"prefix_first", "ab", "abc", -1},
                    Ordered{"case_blind", "ABC", "abc", 0}, Ordered{"by_lower_case", "a", "B", -1},
                    Ordered{"backslash_before_blank", "\\", " ", -1},
                    Ordered{"backslash_before_bang", "\\", "!", -1},
                    Ordered{"directory_entries_follow_name", "dir\\x", "dir x", -1},
                    Ordered{"underscore_before_lower", "_", "a", -1},
                    Ordered{"underscore_before_upper", "_", "A", -1},
                    Ordered{"bracket_before_letters", "[", "a", -1},
                    Ordered{"brace_after_letters", "{", "Z", 1},
                    Ordered{"katakana_after_ascii", "\xb1", "~", 1},
                    Ordered{"katakana_before_character", "\xdf", "\x81\x40", -1},
                    // 0xA0 and 0xFF lead here, so a katakana byte goes first despite the values.
                    Ordered{"katakana_before_lead_a0", "\xdf", "\xa0\x40", -1},
                    Ordered{"katakana_before_lead_ff", "\xa1", "\xff\x40", -1},
                    Ordered{"katakana_by_value", "\xb1", "\xb2", -1},
                    Ordered{"characters_by_lead", "\x81\x7e", "\x82\x40", -1},
                    Ordered{"trail_unfolded", "\x82\x41", "\x82\x61", -1},
                    // A trail 0x5C is not a backslash: it sorts by value, after 0x20.
                    Ordered{"trail_backslash_by_value", "\x81\x20", "\x81\x5c", -1},
                    Ordered{"folds_after_character",
                            "\x81\x5c"
                            "a",
                            "\x81\x5c"
                            "A",
                            0},
                    Ordered{"lead_before_terminator_equal", "a\x81", "a\x81", 0},
                    Ordered{"lead_before_terminator_first", "a\x81", "a\x81\x40", -1},
                    Ordered{"lone_lead_after_katakana", "\xb1\x81", "\xb1\x81", 0}),
    case_name);

struct CaseMapping {
  const char* name;
  std::string text;
  std::string upper;
  std::string lower;
};

class CaseMappingTable : public testing::TestWithParam<CaseMapping> {};

TEST_P(CaseMappingTable, MapsSingleAsciiBytesOnly) {
  const CaseMapping& c = GetParam();
  auto upper = c_string(c.text);
  auto lower = c_string(c.text);
  EXPECT_EQ(common::to_upper(upper.data()), 0);
  EXPECT_EQ(common::to_lower(lower.data()), 0);
  EXPECT_EQ(upper, c_string(c.upper));
  EXPECT_EQ(lower, c_string(c.lower));
}

INSTANTIATE_TEST_SUITE_P(
    Strings, CaseMappingTable,
    testing::Values(CaseMapping{"ascii", "azAZ09@[`{", "AZAZ09@[`{", "azaz09@[`{"},
                    CaseMapping{"empty", "", "", ""},
                    CaseMapping{"after_katakana",
                                "\xb1"
                                "aA",
                                "\xb1"
                                "AA",
                                "\xb1"
                                "aa"},
                    CaseMapping{"trail_letters_kept",
                                "\x82"
                                "ab"
                                "\x82"
                                "AB",
                                "\x82"
                                "aB"
                                "\x82"
                                "AB",
                                "\x82"
                                "ab"
                                "\x82"
                                "Ab"},
                    CaseMapping{"after_a0",
                                "\xa0"
                                "aa",
                                "\xa0"
                                "aA",
                                "\xa0"
                                "aa"},
                    CaseMapping{"after_ff",
                                "\xff"
                                "AA",
                                "\xff"
                                "AA",
                                "\xff"
                                "Aa"},
                    CaseMapping{"lead_before_terminator", "x\x81", "X\x81", "x\x81"}),
    case_name);

}  // namespace
