// The diagnostic formatter and the two routines that write through it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/common.h"
#include "tests/support/capture.h"

namespace {

using common::ErrArg;

std::string compose(const char* format, const std::vector<ErrArg>& values) {
  return common::verr_edit(format, values);
}

struct Case {
  const char* name;
  const char* format;
  std::vector<ErrArg> values;
  std::string expected;
};

class ErrEditTable : public testing::TestWithParam<Case> {};

TEST_P(ErrEditTable, ComposesExpectedText) {
  const Case& c = GetParam();
  EXPECT_EQ(compose(c.format, c.values), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, ErrEditTable,
    testing::Values(
        Case{"empty", "", {}, ""}, Case{"plain", "plain text\n", {}, "plain text\n"},
        Case{"negative_decimal", "%d", {-5}, "-5"},
        Case{"int_min", "%d", {INT32_MIN}, "-2147483648"}, Case{"hex", "%x", {255}, "ff"},
        Case{"hex_of_minus_one", "%x", {-1}, "ffffffff"}, Case{"char", "%c", {65}, "A"},
        Case{"char_low_byte_only", "%c", {0x141}, "A"}, Case{"fixed", "%f", {1.5}, "1.500000"},
        Case{"fixed_rounds", "%f", {2.0000005}, "2.000001"},
        Case{"fixed_negative", "%f", {-0.25}, "-0.250000"},
        Case{"fixed_huge", "%f", {1e20}, "100000000000000000000.000000"},
        Case{"string_holding_percent", "[%s]", {"100%d"}, "[100%d]"},
        Case{"mixed",
             "%s(%d) ... %s(%d)\n",
             {"a.txt", 120, "b.txt", 131},
             "a.txt(120) ... b.txt(131)\n"},
        Case{"unknown_drops_a_value", "%q%d", {1, 2}, "?q2"},
        Case{"percent_percent", "%%", {0}, "?%"}, Case{"width_is_unknown", "%5d%d", {7, 8}, "?5d8"},
        Case{"length_modifier_is_unknown", "%ld", {9}, "?ld"},
        Case{"trailing_percent", "abc%", {}, "abc?"},
        Case{"shift_jis_copied_bytewise", "\x95\x5c%s", {"\x83\x65"}, "\x95\x5c\x83\x65"},
        // More conversions than values: nothing is read past the values given.
        Case{"missing_values", "[%d|%s|%f|%c|%q]", {}, "[||||?q]"},
        // Values of the wrong kind are used up without reading them as another kind.
        Case{"number_for_string", "%s%d", {1, 2}, "2"},
        Case{"string_for_number", "%d%s", {"x", "y"}, "y"},
        Case{"int_for_fixed", "%f", {3}, "3.000000"},
        Case{"double_for_decimal", "%d", {-7.9}, "-7"}),
    [](const testing::TestParamInfo<Case>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(ErrEdit, CharZeroPutsNulIntoTheText) {
  const char* text = common::err_edit("ab%ccd", 0);
  EXPECT_EQ(std::string(text, 5), std::string("ab\0cd", 5));
}

TEST(ErrEdit, SecondCompositionReplacesTheFirst) {
  common::err_edit("a long first text");
  EXPECT_STREQ(common::err_edit("short"), "short");
}

TEST(ErrEdit, AlwaysReturnsTheSameArea) { EXPECT_EQ(common::err_edit("x"), common::err_edit("y")); }

TEST(ErrEdit, TextOf1023BytesFitsWhole) {
  const std::string long_text(1023, 'z');
  EXPECT_EQ(std::string(common::err_edit("%s", long_text.c_str())), long_text);
}

TEST(ErrEdit, LongerTextKeepsOnlyWhatFitsTheArea) {
  const std::string long_text(5000, 'q');
  const std::string composed = common::err_edit("<%s>", long_text.c_str());
  EXPECT_EQ(composed.size(), common::err_edit_area_size - 1);
  EXPECT_EQ(composed, "<" + std::string(1022, 'q'));
}

class ErrmsgOutput : public testing::Test {
 protected:
  void TearDown() override { common::errfp = nullptr; }
};

TEST_F(ErrmsgOutput, WritesToStandardErrorAndSetsTheFlag) {
  test_support::CaptureStream err(stderr);
  common::errmsg("%s ... invalid option\n", "-x");
  EXPECT_EQ(err.finish(), "-x ... invalid option\n");
  EXPECT_EQ(common::errmsg_output_flg, 1);
}

TEST_F(ErrmsgOutput, EmptyTextStillSetsTheFlag) {
  common::errmsg_output_flg = 0;
  test_support::CaptureStream err(stderr);
  common::errmsg("");
  EXPECT_EQ(err.finish(), "");
  EXPECT_EQ(common::errmsg_output_flg, 1);
}

TEST_F(ErrmsgOutput, PercentInAValueIsNotReadAgain) {
  test_support::CaptureStream err(stderr);
  common::errmsg("... %s\n", "ralu 100%s %d%n > x");
  EXPECT_EQ(err.finish(), "... ralu 100%s %d%n > x\n");
}

TEST_F(ErrmsgOutput, NulFromCharEndsWhatIsWritten) {
  test_support::CaptureStream err(stderr);
  common::errmsg("ab%ccd\n", 0);
  EXPECT_EQ(err.finish(), "ab");
}

TEST_F(ErrmsgOutput, NulEndsWhatIsWrittenAlsoPastTheArea) {
  const std::string long_text(3000, 'n');
  test_support::CaptureStream err(stderr);
  common::errmsg("%s%c%s", long_text.c_str(), 0, "not written");
  EXPECT_EQ(err.finish(), long_text);
}

TEST_F(ErrmsgOutput, TextsOfAnyLengthComeOutWhole) {
  for (std::size_t length : {1022u, 1023u, 1024u, 2047u, 100000u}) {
    std::string argument(length, 'x');
    argument.insert(argument.begin(), '-');
    test_support::CaptureStream err(stderr);
    common::errmsg("%s ... invalid option\n", argument.c_str());
    EXPECT_EQ(err.finish(), argument + " ... invalid option\n") << "length " << length;
  }
}

TEST_F(ErrmsgOutput, AllBitsSetSendsBothRoutinesToStandardOutput) {
  common::errfp = common::errfp_stdout();
  test_support::CaptureStream out(stdout);
  common::errmsg("one %d\n", 1);
  common::errmsg1("two %d\n", 2);
  EXPECT_EQ(out.finish(), "one 1\ntwo 2\n");
}

TEST_F(ErrmsgOutput, OpenStreamReceivesOnlyErrmsg1) {
  std::FILE* log = std::tmpfile();
  ASSERT_NE(log, nullptr);
  common::errfp = log;
  test_support::CaptureStream err(stderr);
  common::errmsg("to stderr\n");
  common::errmsg1("to the log\n");
  EXPECT_EQ(err.finish(), "to stderr\n");

  std::rewind(log);
  char buffer[64] = {};
  const std::size_t count = std::fread(buffer, 1, sizeof buffer - 1, log);
  EXPECT_EQ(std::string(buffer, count), "to the log\n");
  std::fclose(log);
}

TEST_F(ErrmsgOutput, NullErrfpSendsErrmsg1ToStandardError) {
  test_support::CaptureStream err(stderr);
  common::errmsg1("%s: overwrite? (y/n) ", "out\\a.txt.dif");
  EXPECT_EQ(err.finish(), "out\\a.txt.dif: overwrite? (y/n) ");
}

}  // namespace

TEST(ErrmsgFlag, Errmsg1NeverChangesTheFlag) {
  common::errmsg_output_flg = 0;
  test_support::CaptureStream err(stderr);
  common::errmsg1("quiet\n");
  EXPECT_EQ(common::errmsg_output_flg, 0);
  common::errmsg("loud\n");
  common::errmsg1("quiet again\n");
  EXPECT_EQ(common::errmsg_output_flg, 1);
}
