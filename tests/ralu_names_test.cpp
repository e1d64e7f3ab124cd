// Names in ralu's header: quoted as GNU diff quotes them, and read back by the
// real `patch` whatever bytes they hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ralu/formats/name_quoting.h"
#include "tests/support/ralu_run.h"
#include "tests/support/system.h"

namespace {

using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

TEST(RaluNames, QuotedAsDiffQuotesThem) {
  struct Case {
    std::string name, quoted;
  };
  const std::vector<Case> cases = {
      {"plain.txt", "plain.txt"},
      {"dir/sub-dir_x~1,$'*?:=@", "dir/sub-dir_x~1,$'*?:=@"},
      {"del\x7f", "del\x7f"},
      {"sp ace", "\"sp ace\""},
      {"quo\"te", "\"quo\\\"te\""},
      {"back\\slash", "\"back\\\\slash\""},
      {"\a\b\t\n\v\f\r", "\"\\a\\b\\t\\n\\v\\f\\r\""},
      {std::string("\x01\x1b\x1f", 3), "\"\\001\\033\\037\""},
      {"\xc3\xa9t\xc3\xa9", "\"\\303\\251t\\303\\251\""},
      {"\x80\xff", "\"\\200\\377\""},
  };
  for (const Case& c : cases) EXPECT_EQ(ralu::quote_name(c.name), c.quoted) << c.quoted;
}

TEST(RaluNames, PatchFindsEveryQuotedName) {
  const std::string patch = test_support::find_program("patch");
  if (patch.empty()) GTEST_SKIP() << "patch is not installed";
  const std::vector<std::string> names = {
      "sp ace",  "tab\tname", "new\nline", "quo\"te",     "back\\slash", "\xc3\xa9t\xc3\xa9",
      "\x01ctl", "del\x7f",   "trailing ", "dollar$'and", "cr\rname",
  };
  TempDir dir;
  for (const char* folder : {"old", "new", "work"}) {
    std::filesystem::create_directory(dir.root() / folder);
  }
  int tried = 0;
  for (const std::string& name : names) {
    if (!test_support::file_names_may_hold(name)) continue;
    ++tried;
    write_file(dir.path("old/" + name), "one\ntwo\n");
    write_file(dir.path("work/" + name), "one\ntwo\n");
    write_file(dir.path("new/" + name), "one\n2\n");
    const ProcessResult report = test_support::run_ralu(dir, {"old/" + name, "new/" + name});
    ASSERT_EQ(report.status, 1) << report.err;
    write_file(dir.path("report"), report.out);
    ProcessOptions in_work;
    in_work.working_dir = dir.path("work");
    const ProcessResult applied = test_support::run_process(
        patch, {"--batch", "--silent", "-p1", "-i", dir.path("report")}, in_work);
    EXPECT_EQ(applied.status, 0) << report.out << applied.out << applied.err;
    EXPECT_EQ(read_file(dir.path("work/" + name)), "one\n2\n") << report.out;
  }
  EXPECT_GT(tried, 0);
}

}  // namespace
