// The two lead-byte rules, seen through the routines that follow each: the
// searching and editing routines use the scanning rule, the ordering and case
// routines the katakana rule. The rules part on 0xA0 and 0xFD..0xFF.
#include <gtest/gtest.h>

#include <string>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::c_string;
using test_support::offset_in;

struct Entry {
  const char* path;
};

struct LeadByte {
  unsigned char byte;
  bool scanning_lead;
  bool katakana_lead;
};

class LeadByteTable : public testing::TestWithParam<LeadByte> {
 protected:
  // The byte under test followed by `next`.
  static std::string before(char next) {
    return std::string(1, static_cast<char>(GetParam().byte)) + next;
  }
};

TEST_P(LeadByteTable, ScanningRuleHidesTheNextByte) {
  const bool hidden = GetParam().scanning_lead;
  const auto text = c_string(before('\\'));
  EXPECT_EQ(common::Strchr(text.data(), '\\') == nullptr, hidden);
  EXPECT_EQ(common::Strrchr(text.data(), '\\') == nullptr, hidden);

  const auto set = c_string(before('\\'));
  EXPECT_EQ(offset_in(text, common::index2(text.data(), set.data())), hidden ? -1 : 0);

  auto edited = c_string(before('\\'));
  common::ChgChr(edited.data(), '\\', '/');
  EXPECT_EQ(edited[1], hidden ? '\\' : '/');

  // A hidden backslash does not make a level; at equal levels the byte sorts after 'a'.
  const auto deeper = c_string("a\\b");
  const Entry first{text.data()};
  const Entry second{deeper.data()};
  const Entry* const first_element = &first;
  const Entry* const second_element = &second;
  EXPECT_EQ(common::comp_file(&first_element, &second_element), hidden ? -1 : 1);
}

TEST_P(LeadByteTable, KatakanaRuleHidesTheNextByte) {
  const bool hidden = GetParam().katakana_lead;
  auto upper = c_string(before('a'));
  common::to_upper(upper.data());
  EXPECT_EQ(upper[1], hidden ? 'a' : 'A');

  auto lower = c_string(before('A'));
  common::to_lower(lower.data());
  EXPECT_EQ(lower[1], hidden ? 'A' : 'a');

  // A trail byte compares without case folding, a single byte with it.
  const auto small = c_string(before('a'));
  const auto capital = c_string(before('A'));
  EXPECT_EQ(common::StrCmp(small.data(), capital.data()), hidden ? 1 : 0);
}

TEST_P(LeadByteTable, LeadByteBeforeTerminatorIsASingleByte) {
  const auto text = c_string(std::string(1, static_cast<char>(GetParam().byte)));
  EXPECT_EQ(common::Strchr(text.data(), GetParam().byte), text.data());
  EXPECT_EQ(common::index2(text.data(), text.data()), text.data());
  EXPECT_EQ(common::StrCmp(text.data(), text.data()), 0);
  auto upper = c_string(std::string(1, static_cast<char>(GetParam().byte)));
  common::to_upper(upper.data());
  EXPECT_EQ(upper, text);
}

INSTANTIATE_TEST_SUITE_P(Strings, LeadByteTable,
                         testing::Values(LeadByte{0x7F, false, false}, LeadByte{0x80, true, true},
                                         LeadByte{0x9F, true, true}, LeadByte{0xA0, false, true},
                                         LeadByte{0xA1, false, false}, LeadByte{0xDF, false, false},
                                         LeadByte{0xE0, true, true}, LeadByte{0xFC, true, true},
                                         LeadByte{0xFD, false, true}, LeadByte{0xFE, false, true},
                                         LeadByte{0xFF, false, true}),
                         [](const testing::TestParamInfo<LeadByte>& param_info) {
                           constexpr char digits[] = "0123456789ABCDEF";
                           return std::string("byte_") + digits[param_info.param.byte >> 4] +
                                  digits[param_info.param.byte & 15];
                         });

}  // namespace
