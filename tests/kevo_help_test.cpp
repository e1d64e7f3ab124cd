// The help text: 19 lines of code page 932 bytes. Decoding them and
// comparing with the expected Japanese text catches any wrong byte.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

using test_support::cp932_to_utf8;
using test_support::run_kevo;
using test_support::TempDir;

const std::vector<std::string> expected_help = {
    "ファイル同士をバイナリ比較し、相違があるかどうかの情報を出力します。",
    " ",
    "Usage: kevo [-bit] [-o <outputDir>] <filename1> <filename2>",
    " ",
    "Parameter:",
    "  -b             共にファイルが存在するものについてのみメッセージを出力します。",
    "                 またどちらかがディレクトリのものも除外します。",
    "  -i             内容が同一の場合、メッセージを出力しないようにします。",
    "  -t             テキスト比較をralu.exeで行ない、結果をファイルに出力します｡",
    "                 ただし、テキストファイルでないものは除外されます。",
    "                 この比較結果ファイル名は、次のものになります。",
    "                    <filename>.dif",
    "                 ここで、<fielname>は<filename1>のファイル名です。",
    "  -o <outputDir> テキスト比較結果ファイルの出力先ディレクトリを指定します。",
    "                 これを省略した場合、カレントディレクトリに出力されます。",
    "  <filename1>    被比較ファイル名（パスを含む）",
    "  <filename2>    比較ファイル名　（パスを含む）",
    " ",
    "Version: 1.30",
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// kevo -usage in a locale given by LC_ALL, which outranks any other setting.
test_support::ProcessResult help_in_locale(const std::string& locale) {
  TempDir dir;
  test_support::ProcessOptions options;
  options.extra_env = {"LC_ALL=" + locale};
  return run_kevo(dir, {"-usage"}, options);
}

TEST(KevoHelp, PrintsNineteenLinesInCodePage932) {
  const auto r = help_in_locale("C");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(lines_of(cp932_to_utf8(r.out)), expected_help);
}

// A UTF-8 terminal gets UTF-8 where the system has locales (POSIX); Windows
// consoles take code page 932 as it is.
TEST(KevoHelp, PrintsUtf8InAUtf8Locale) {
  const auto r = help_in_locale("C.UTF-8");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string text = test_support::help_follows_the_locale() ? r.out : cp932_to_utf8(r.out);
  EXPECT_EQ(lines_of(text), expected_help);
}

TEST(KevoHelp, BytesThatLookAlikeInUnicodeAreTheRightOnes) {
  const auto lines = lines_of(help_in_locale("C").out);
  ASSERT_EQ(lines.size(), 19u);
  // Entry 8 ends in the half-width full stop, a single byte.
  EXPECT_EQ(lines[8].back(), '\xa1');
  EXPECT_EQ(lines[7].substr(lines[7].size() - 2), "\x81\x42");
  // Entry 16 holds a full-width space, and its parenthesis lines up with entry 15's.
  EXPECT_NE(lines[16].find("\x81\x40\x81\x69"), std::string::npos);
  EXPECT_EQ(lines[15].find("\x81\x69"), lines[16].find("\x81\x40\x81\x69") + 2);
  // Every description starts in column 17.
  for (int entry : {5, 7, 8, 13, 15, 16}) {
    EXPECT_NE(lines[entry][17], ' ') << entry;
    EXPECT_EQ(lines[entry][16], ' ') << entry;
  }
  for (int entry : {6, 9, 10, 12, 14}) {
    EXPECT_EQ(lines[entry].find_first_not_of(' '), 17u) << entry;
  }
  EXPECT_EQ(lines[11].find_first_not_of(' '), 20u);
}

}  // namespace
