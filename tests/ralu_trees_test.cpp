// ralu on directory trees: the installed GNU diff is the oracle for every
// line and status over trees holding each kind of difference, the real
// `patch` must rebuild the new tree from `-ruN`'s report, and the pieces the
// walk is made of (wildcards, the shell quoting of the heading, name order)
// are checked on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/operands.h"
#include "ralu/command/options.h"
#include "ralu/trees/name_pattern.h"
#include "ralu/trees/shell_words.h"
#include "ralu/trees/tree_walk.h"
#include "tests/support/diff_oracle.h"
#include "tests/support/heap.h"
#include "tests/support/process.h"
#include "tests/support/ralu_run.h"
#include "tests/support/system.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::TempDir;

struct TreeFile {
  std::string path;  // relative to the scratch folder; a trailing '/' makes a folder
  std::string bytes;
};

void make_tree(const TempDir& dir, const std::vector<TreeFile>& files) {
  for (const TreeFile& file : files) {
    const fs::path path = dir.root() / file.path;
    if (file.path.ends_with('/')) {
      fs::create_directories(path);
      continue;
    }
    fs::create_directories(path.parent_path());
    test_support::write_file(path.string(), file.bytes);
    test_support::set_modification_time(path.string(), 1000000000, 123456789);
  }
}

// Two versions of a small tree with one of each ordinary difference.
const std::vector<TreeFile> ordinary_trees = {
    {"old/same", "kept\n"},
    {"new/same", "kept\n"},
    {"old/changed", "one\ntwo\nthree\n"},
    {"new/changed", "one\n2\nthree\n"},
    {"old/with blank", "x\n"},
    {"new/with blank", "y\n"},
    {"old/pct%name", "p\n"},
    {"new/pct%name", "q\n"},
    {"old/no-eol", "last"},
    {"new/no-eol", "last\nmore"},
    {"old/gains-eol", "x"},
    {"new/gains-eol", "x\n"},
    {"old/loses-eol", "y\n"},
    {"new/loses-eol", "y"},
    {"old/emptied", "gone\n"},
    {"new/emptied", ""},
    {"old/deleted", "old only\n"},
    {"new/Added", "new only\n"},
    {"old/onlydir/inner", "deep\n"},
    {"new/newdir/", ""},
    {"old/binary", std::string("a\0b", 3)},
    {"new/binary", std::string("a\0c", 3)},
    {"old/kind/", ""},
    {"new/kind", "now a file\n"},
    {"old/sub/deep/leaf", "1\n"},
    {"new/sub/deep/leaf", "2\n"},
    {"old/sub/equal", "e\n"},
    {"new/sub/equal", "e\n"},
    {"old/Case.txt", "upper\n"},
    {"new/case.txt", "lower\n"},
    {"old/spaces.txt", "a  b\n\n"},
    {"new/spaces.txt", "a b\n"},
    {"patterns", "*.txt \r\n\nonly*\n"},
    {"upper patterns", "CASE.TXT\nSUB\n"},
};

// The text with `name`, where a line starts with it (the heading of a pair,
// a message), read as "diff".
std::string named_as_diff(std::string text, const std::string& name = "ralu") {
  for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    if (at == 0 || text[at - 1] == '\n') text.replace(at, name.size(), "diff");
  }
  return text;
}

// diff's messages, named "diff" and without the blank line diff writes after
// "No newline at end of file", where ralu ends the message with its line.
std::string diff_messages(std::string text, const std::string& diff) {
  for (std::size_t at = text.find("\n\n"); at != std::string::npos; at = text.find("\n\n", at)) {
    text.erase(at, 1);
  }
  return named_as_diff(text, diff);
}

// Runs each command line under ralu and diff in the scratch folder and
// expects the same output, the same messages and the same status, once
// ralu's name is read as diff's. Each reads `input` on standard input.
void expect_like_diff(const TempDir& dir, const std::vector<std::vector<std::string>>& cases,
                      const std::optional<std::string>& input = std::nullopt) {
  std::string why;
  const std::string diff = test_support::gnu_diff(why);
  if (diff.empty()) GTEST_SKIP() << why;
  for (const std::vector<std::string>& args : cases) {
    ProcessOptions options;
    options.working_dir = dir.root().string();
    options.extra_env = {"TZ=UTC0", "LC_ALL=C"};
    options.output_is_data = true;
    options.input = input;
    const ProcessResult expected = test_support::run_process(diff, args, options);
    const ProcessResult actual = test_support::run_ralu(dir, args, options);
    const std::string shown = test_support::shown_args(args);
    EXPECT_EQ(actual.status, expected.status) << shown << "\n" << actual.err;
    EXPECT_EQ(named_as_diff(actual.out), expected.out) << shown;
    EXPECT_EQ(named_as_diff(actual.err), diff_messages(expected.err, diff)) << shown;
  }
}

TEST(RaluTrees, OrdinaryDifferencesAsDiffWritesThem) {
  TempDir dir;
  make_tree(dir, ordinary_trees);
  expect_like_diff(
      dir, {
               {"--normal", "old", "new"},
               {"--normal", "-r", "old", "new"},
               {"-ru", "old", "new"},
               {"-ruN", "old", "new"},
               {"-ruN", "new", "old"},
               {"-rc", "old", "new"},
               {"-re", "old", "new"},
               {"-rn", "old", "new"},
               {"-r", "-y", "-W", "40", "old", "new"},
               {"-r", "-y", "--suppress-common-lines", "old", "new"},
               {"-rq", "old", "new"},
               {"-rqs", "old", "new"},
               {"-rs", "--normal", "old", "new"},
               {"-rN", "-q", "old", "new"},
               {"-r", "--unidirectional-new-file", "--normal", "old", "new"},
               {"-r", "--unidirectional-new-file", "-u", "new", "old"},
               {"-ru", "-x", "sub", "old", "new"},
               {"-ru", "--exclude=*.txt", "-x", "on*", "old", "new"},
               {"-ruN", "-X", "patterns", "old", "new"},
               {"-u", "-X", "missing", "old/changed", "new/changed"},
               {"-ru", "-S", "k", "old", "new"},
               {"-ru", "--starting-file=sub", "old", "new"},
               {"-ru", "--ignore-file-name-case", "-S", "case.txt", "old", "new"},
               {"-ru", "--ignore-file-name-case", "old", "new"},
               {"-rq", "--ignore-file-name-case", "--no-ignore-file-name-case", "old", "new"},
               {"-ru", "--ignore-file-name-case", "-x", "C*", "old", "new"},
               // Each pattern keeps the case rule given before it.
               {"-rq", "-x", "CASE.TXT", "--ignore-file-name-case", "old", "new"},
               {"-rq", "--ignore-file-name-case", "-x", "CASE.TXT", "old", "new"},
               {"-rq", "--ignore-file-name-case", "-x", "CASE.TXT", "--no-ignore-file-name-case",
                "old", "new"},
               {"-rq", "--ignore-file-name-case", "--no-ignore-file-name-case", "-x", "CASE.TXT",
                "old", "new"},
               {"-rq", "-X", "upper patterns", "--ignore-file-name-case", "old", "new"},
               {"-rq", "--ignore-file-name-case", "-X", "upper patterns", "old", "new"},
               {"-rq", "--ignore-file-name-case", "-X", "upper patterns", "-x", "SAME",
                "--no-ignore-file-name-case", "old", "new"},
               {"-rq", "-x", "[[:upper:]]*", "old", "new"},
               {"-rq", "-x", "[![:lower:]]*", "old", "new"},
               {"-rq", "-x", "*[[:punct:]]*", "-x", "[[=s=]]*", "old", "new"},
               {"-rq", "-x", "[[.c.]-e]*", "--ignore-file-name-case", "-x", "[[:upper:]]*", "old",
                "new"},
               {"-ru", "--label=L", "--label", "M", "old", "new"},
               {"-r", "-D", "NAME", "old", "new"},
               {"-r", "--line-format=%L", "old", "new"},
               {"-ruN", "old/", "new//"},
               {"-ruN", "old", "missing"},
               {"-ruN", "missing", "new"},
               {"-ru", "old", "missing"},
               {"-ru", "-w", "-B", "old", "new"},
               {"-ruw", "-q", "old", "new"},
               {"old", "-u", "new", "-r"},
               {"-ru", "-x", "a b", "-x", "it's", "-x", "{", "-x", "~x", "--", "old", "new"},
               {"-ru", "--from-file=old", "new", "sub"},
               {"-rup", "--color=always", "old", "new"},
               // A palette that cannot be read is said for each report.
               {"-ru", "--color=always", "--palette=zz=1", "old", "new"},
           });
}

// "-X -" reads the patterns from standard input, once: a second finds it
// spent, and a "-" operand then reads it empty.
TEST(RaluTrees, PatternsFromStandardInput) {
  TempDir dir;
  make_tree(dir, ordinary_trees);
  expect_like_diff(dir,
                   {
                       {"-rq", "-X", "-", "old", "new"},
                       {"-rq", "--ignore-file-name-case", "-X", "-", "old", "new"},
                       {"-rq", "-X", "-", "-X", "-", "old", "new"},
                       {"-u", "-X", "-", "--label=in", "-", "old/changed"},
                   },
                   "CASE.TXT\n*ed\n[[:upper:]]*\n");
}

// Enough pairs that worker threads compare them ahead of the report, which
// must still come out in diff's order.
TEST(RaluTrees, ManyPairsComeOutInOrder) {
  std::vector<TreeFile> files;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "d" + std::to_string(i % 7) + "/f" + std::to_string(i);
    const std::string text = "line\n" + std::to_string(i) + "\nend\n";
    if (i % 11 != 3) files.push_back({"old/" + name, text});
    if (i % 13 != 4) files.push_back({"new/" + name, i % 5 == 0 ? text + "more\n" : text});
  }
  TempDir dir;
  make_tree(dir, files);
  expect_like_diff(
      dir, {{"-ruN", "old", "new"}, {"-rq", "old", "new"}, {"-rs", "--normal", "new", "old"}});
}

// Two names of one file are listed as two regular files; read late, on the
// report's side of the walk, they are still one file: said to be identical
// under -s, and nothing is read of them. Both as few pairs as the walk
// reports by itself and as many as its threads report.
TEST(RaluTrees, HardLinksListedAsFilesAreOneFile) {
  for (const int pairs : {3, 40}) {
    SCOPED_TRACE(std::to_string(pairs) + " pairs");
    TempDir dir;
    std::vector<TreeFile> files;
    for (int i = 0; i < pairs; ++i) {
      const std::string name = "f" + std::to_string(i);
      files.push_back({"a/" + name, name + "\n"});
      if (i % 3 != 0) files.push_back({"b/" + name, i % 3 == 1 ? name + "\n" : "other\n"});
    }
    make_tree(dir, files);
    for (int i = 0; i < pairs; i += 3) {
      const std::string name = "f" + std::to_string(i);
      fs::create_hard_link(dir.root() / "a" / name, dir.root() / "b" / name);
    }
    expect_like_diff(dir, {{"-rs", "--normal", "a", "b"},
                           {"-rqs", "a", "b"},
                           {"-rq", "a", "b"},
                           {"-rsu", "--label=L", "--label=M", "a", "b"},
                           {"-rsN", "--no-dereference", "--normal", "a", "b"}});
  }
}

#ifndef _WIN32
// Links, special files, loops and trouble: POSIX systems have all of them.
TEST(RaluTrees, LinksSpecialFilesAndLoopsAsDiffReportsThem) {
  TempDir dir;
  const std::vector<TreeFile> files = {
      {"a/t1", "1\n"}, {"b/t1", "1\n"},       {"b/t2", "1\n"},  {"a/plain", "p\n"},
      {"b/pipe", ""},  {"b/dangling", "d\n"}, {"a/loop/", ""},  {"b/loop/", ""},
      {"a/self/", ""}, {"a/empty", ""},       {"b/empty/", ""},
  };
  make_tree(dir, files);
  const auto link = [&](const std::string& target, const std::string& name) {
    fs::create_symlink(target, dir.root() / name);
  };
  link("t1", "a/same-target");
  link("t1", "b/same-target");
  link("t1", "a/other-target");
  link("t2", "b/other-target");
  link("nowhere", "a/dangling");
  link("nowhere", "a/dangling-alone");
  link("t1", "a/link-alone");
  link("..", "a/loop/up");
  link("..", "b/loop/up");
  link(".", "b/self");
  link("../a/loop", "b/same-folder");
  link("loop", "a/same-folder");
  link("/dev/null", "a/device");
  link("/dev/null", "b/device");
  link("/dev/zero", "a/zero");
  link("/dev/null", "b/zero");
  link(".", "a/dot");
  link(".", "b/dot");
  ASSERT_EQ(::mkfifo((dir.root() / "a/pipe").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((dir.root() / "a/fifo-alone").c_str(), 0600), 0);

  expect_like_diff(dir, {
                            {"--normal", "a", "b"},
                            {"--normal", "-r", "a", "b"},
                            {"--normal", "-rs", "a", "b"},
                            {"-rs", "a", "a"},
                            {"-rP", "--normal", "b", "a"},
                            {"-rq", "b", "a"},
                            {"-ruN", "a", "b"},
                            {"-ruN", "b", "a"},
                            {"-r", "--no-dereference", "--normal", "a", "b"},
                            {"-rN", "--no-dereference", "--normal", "a", "b"},
                            {"-r", "--unidirectional-new-file", "--no-dereference", "-u", "b", "a"},
                            // Links named as operands, compared as links.
                            {"--no-dereference", "--normal", "a/same-target", "b/same-target"},
                            {"--no-dereference", "-s", "a/same-target", "b/same-target"},
                            {"--no-dereference", "--normal", "a/other-target", "b/other-target"},
                            {"--no-dereference", "-q", "a/other-target", "b/other-target"},
                            {"--no-dereference", "--normal", "a/dangling", "a/dangling-alone"},
                            {"--no-dereference", "-q", "a/dangling", "b/other-target"},
                            {"--no-dereference", "--normal", "a/dangling", "b/dangling"},
                            {"--no-dereference", "-q", "b/t2", "a/link-alone"},
                            {"--no-dereference", "--normal", "a/empty", "b/same-target"},
                            {"--no-dereference", "--normal", "b/pipe", "a/link-alone"},
                            {"--no-dereference", "--normal", "a/dangling", "b/absent"},
                            {"--no-dereference", "-N", "--normal", "a/dangling", "b/absent"},
                            {"--no-dereference", "--normal", "b/t1", "a"},
                            {"--no-dereference", "--label=L", "--label=M", "a/t1", "a/link-alone"},
                            {"-rq", "--no-dereference", "a/dot", "b/dot"},
                            {"-r", "--no-dereference", "a/dot", "b/dot"},
                            {"--normal", "a/same-target", "b/same-target"},
                            {"--normal", "a/dangling", "b/dangling"},
                            // One pipe named twice is one file: nothing is read.
                            {"--normal", "a/pipe", "a/pipe"},
                            {"-s", "a/pipe", "a/pipe"},
                            // Two names missing, both said.
                            {"--normal", "a/absent", "b/absent"},
                            {"-N", "--normal", "a/absent", "b/absent"},
                        });
}

// An entry that cannot be read is said, and the walk goes on past it.
TEST(RaluTrees, UnreadableEntriesAreSaidAndTheWalkGoesOn) {
  TempDir dir;
  make_tree(dir, {{"a/f", "1\n"},
                  {"b/f", "2\n"},
                  {"a/sub/x", "x\n"},
                  {"b/sub/x", "y\n"},
                  {"a/z", "z\n"},
                  {"b/z", "w\n"}});
  for (const char* locked : {"a/f", "a/sub"}) {
    const std::string why = test_support::make_unreadable((dir.root() / locked).string());
    if (!why.empty()) GTEST_SKIP() << why;
  }
  expect_like_diff(dir, {{"-r", "--normal", "a", "b"}, {"-rq", "a", "b"}, {"-ruN", "b", "a"}});
  fs::permissions(dir.root() / "a/sub", fs::perms::owner_all);
}
#endif

// `patch -p1` in a copy of the old tree must rebuild the new one exactly:
// created, deleted and emptied files, lost and added final line ends, blanks
// in names.
TEST(RaluTrees, PatchRebuildsTheNewTree) {
  const std::string patch = test_support::find_program("patch");
  if (patch.empty()) GTEST_SKIP() << "patch is not installed";
  TempDir dir;
  std::vector<TreeFile> files;
  for (const TreeFile& file : ordinary_trees) {
    // A binary file, or a folder become a file, cannot go through a text patch.
    if (!file.path.ends_with("binary") && !file.path.starts_with("old/kind")) files.push_back(file);
  }
  make_tree(dir, files);
  ProcessOptions options;
  options.extra_env = {"TZ=UTC0"};
  const ProcessResult report = test_support::run_ralu(dir, {"-ruN", "old", "new"}, options);
  ASSERT_EQ(report.status, 1) << report.err;

  fs::copy(dir.root() / "old", dir.root() / "rebuilt", fs::copy_options::recursive);
  // -p1 takes "old/" and "new/" off the names. patch removes a file whose
  // new time is the epoch, as -N writes for a deleted one, and keeps an
  // emptied file, whose time is its own.
  ProcessOptions in_copy;
  in_copy.working_dir = (dir.root() / "rebuilt").string();
  in_copy.input = report.out;
  const ProcessResult applied = test_support::run_process(patch, {"-p1", "-s"}, in_copy);
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;

  // Directories aside, the rebuilt tree holds the new tree's files and no
  // other, bytes and all.
  const auto files_of = [&](const std::string& tree) {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.root() / tree)) {
      if (entry.is_regular_file()) {
        found.push_back(fs::relative(entry.path(), dir.root() / tree).generic_string());
      }
    }
    std::sort(found.begin(), found.end());
    return found;
  };
  const std::vector<std::string> new_files = files_of("new");
  ASSERT_EQ(files_of("rebuilt"), new_files);
  for (const std::string& file : new_files) {
    EXPECT_EQ(test_support::read_file((dir.root() / "rebuilt" / file).string()),
              test_support::read_file((dir.root() / "new" / file).string()))
        << file;
  }
  EXPECT_GE(new_files.size(), 10U);
}

// Folders whose names end in a double-byte character with 0x5C as its second
// byte: 表 (0x95 0x5C), ソ (0x83 0x5C), 能 (0x94 0x5C). Their 0x5C is no
// separator, so their entries are listed and compared like any others.
class RaluShiftJisTrees : public testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = test_support::why_shift_jis_names_cannot_work(); !why.empty()) {
      GTEST_SKIP() << why;
    }
    for (const std::string& folder :
         std::vector<std::string>{"t1", "t2", "t1/" + hyou, "t2/" + hyou, "t1/" + so, "t2/" + so,
                                  "t1/" + so + "/" + nou, "t2/" + so + "/" + nou}) {
      test_support::make_folder(dir.path(folder));
    }
    test_support::write_file(dir.path("t1/" + hyou + "/x.txt"), "a\n");
    test_support::write_file(dir.path("t2/" + hyou + "/x.txt"), "b\n");
    test_support::write_file(dir.path("t1/" + hyou + "/gone.txt"), "gone\n");
    test_support::write_file(dir.path("t1/" + so + "/" + nou + "/y.txt"), "1\n2\n");
    test_support::write_file(dir.path("t2/" + so + "/" + nou + "/y.txt"), "1\n3\n");
    test_support::write_file(dir.path("t2/" + so + "/new.txt"), "new\n");
  }

  const std::string hyou = "\x95\x5c";
  const std::string so = "\x83\x5c";
  const std::string nou = "\x94\x5c";
  TempDir dir;
};

std::size_t hunk_count(const std::string& report) {
  std::size_t count = 0;
  for (std::size_t at = report.find("\n@@ "); at != std::string::npos;
       at = report.find("\n@@ ", at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(RaluShiftJisTrees, FoldersEndingInTheBackslashByteAreWalked) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> expected;  // lines the output holds
    std::size_t hunks;
  };
  const std::string x_hunk = "@@ -1 +1 @@\n-a\n+b\n";
  const std::string y_hunk = "@@ -1,2 +1,2 @@\n 1\n-2\n+3\n";
  const std::string gone = "Only in t1/" + hyou + ": gone.txt\n";
  std::vector<Case> cases = {
      {{"-ru", "t1", "t2"}, {x_hunk, y_hunk, gone, "Only in t2/" + so + ": new.txt\n"}, 2},
      {{"-u", "t1/" + hyou, "t2/" + hyou}, {x_hunk, gone}, 1},
      {{"-ru", "t1/" + so, "t2/" + so}, {y_hunk, "Only in t2/" + so + ": new.txt\n"}, 1},
      // -N reads each name on one side only as an empty file.
      {{"-ruN", "t1", "t2"}, {x_hunk, y_hunk, "+new\n", "-gone\n"}, 4},
  };
  if (test_support::path_separator() == '\\') {
    // Written the Windows way, with backslashes that are separators.
    cases.push_back({{"-ru", "t1\\" + hyou, "t2\\" + hyou},
                     {x_hunk, "Only in t1\\" + hyou + ": gone.txt\n"},
                     1});
    cases.push_back({{"-ru", "t1\\" + so + "\\", "t2\\" + so + "\\"}, {y_hunk}, 1});
  }
  for (const Case& c : cases) {
    const std::string shown = test_support::shown_args(c.args);
    const ProcessResult r = test_support::run_ralu(dir, c.args);
    EXPECT_EQ(r.status, 1) << shown << "\n" << r.err;
    EXPECT_EQ(r.err, "") << shown;
    for (const std::string& expected : c.expected) {
      EXPECT_NE(r.out.find(expected), std::string::npos) << shown << ": " << expected << "\n"
                                                         << r.out;
    }
    EXPECT_EQ(hunk_count(r.out), c.hunks) << shown << "\n" << r.out;
  }
}

// Where patch is found (not on Windows), the -ruN report of such trees
// rebuilds the new tree; a skip here would hide the cases above, which run
// in the same group under Wine.
TEST_F(RaluShiftJisTrees, PatchRebuildsTheNewTreeWherePatchIsFound) {
  const std::string patch = test_support::find_program("patch");
  if (patch.empty()) return;
  ProcessOptions options;
  options.extra_env = {"TZ=UTC0"};
  const ProcessResult report = test_support::run_ralu(dir, {"-ruN", "t1", "t2"}, options);
  ASSERT_EQ(report.status, 1) << report.err;
  fs::copy(dir.root() / "t1", dir.root() / "rebuilt", fs::copy_options::recursive);
  ProcessOptions in_copy;
  in_copy.working_dir = (dir.root() / "rebuilt").string();
  in_copy.input = report.out;
  const ProcessResult applied = test_support::run_process(patch, {"-p1", "-s"}, in_copy);
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  for (const std::string& file : {hyou + "/x.txt", so + "/" + nou + "/y.txt", so + "/new.txt"}) {
    EXPECT_EQ(test_support::read_file(dir.path("rebuilt/" + file)),
              test_support::read_file(dir.path("t2/" + file)))
        << file;
  }
  EXPECT_FALSE(test_support::file_exists(dir.path("rebuilt/" + hyou + "/gone.txt")));
}

// Without diff to compare with (as on Windows), the walk still pairs names
// in byte order and says what each is.
TEST(RaluTrees, BriefReportOfATree) {
  TempDir dir;
  make_tree(dir, {{"a/B", "x\n"},
                  {"a/a", "same\n"},
                  {"b/a", "same\n"},
                  {"a/c", "1\n"},
                  {"b/c", "2\n"},
                  {"b/d/", ""},
                  {"a/d", "file\n"},
                  {"a/e/f", "1\n"},
                  {"b/e/f", "2\n"},
                  {"b/e/g h", "3\n"}});
  const ProcessResult r = test_support::run_ralu(dir, {"-rqs", "a", "b"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(test_support::fold_line_ends(r.out),
            "Only in a: B\n"
            "Files a/a and b/a are identical\n"
            "Files a/c and b/c differ\n"
            "File a/d is a regular file while file b/d is a directory\n"
            "Files a/e/f and b/e/f differ\n"
            "Only in b/e: g h\n");
  const ProcessResult header = test_support::run_ralu(dir, {"-r", "--normal", "a/e", "b/e"});
  EXPECT_EQ(test_support::fold_line_ends(header.out),
            "ralu -r --normal a/e/f b/e/f\n1c1\n< 1\n---\n> 2\nOnly in b/e: g h\n");
}

TEST(RaluTrees, WildcardsMatchWholeNames) {
  struct Case {
    const char* pattern;
    const char* name;
    bool fold;
    bool matches;
  };
  for (const Case& c : std::vector<Case>{
           {"*", ".hidden", false, true},
           {"*.py", "a.py", false, true},
           {"*.py", "a.pyc", false, false},
           {"a*b*c", "aXbYbZc", false, true},
           {"a*b*c", "aXbYc!", false, false},
           {"?", "", false, false},
           {"??", "ab", false, true},
           {"[abc]x", "bx", false, true},
           {"[!abc]x", "bx", false, false},
           {"[^abc]x", "dx", false, true},
           {"[a-c]", "d", false, false},
           {"[]]", "]", false, true},
           {"[a-]", "-", false, true},
           {"[", "[", false, true},
           {"\\*", "*", false, true},
           {"\\*", "x", false, false},
           {"FOO*", "foobar", false, false},
           {"FOO*", "foobar", true, true},
           {"[A-C]x", "bx", true, true},
           {"", "", false, true},
           // POSIX classes, equivalence classes and collating symbols, as
           // fnmatch reads them in the C locale.
           {"[[:alpha:]]", "q", false, true},
           {"[[:alpha:]]", "5", false, false},
           {"[[:lower:]]", "Q", false, false},
           {"[[:lower:]]", "Q", true, false},
           {"[[:upper:]]", "Q", true, true},
           {"[![:alpha:]]", "_", false, true},
           {"[^[:alnum:]]", "z", false, false},
           {"[[:digit:][:space:]]", " ", false, true},
           {"[[:punct:]]", "]", false, true},
           {"[[:xdigit:]]", "g", false, false},
           {"[[:cntrl:]]", "\x7f", false, true},
           {"[[:print:]]", "\xe9", false, false},
           {"[[:bogus:]]", "[[:bogus:]]", false, false},
           {"x[[:bogus:]]", "xb", false, false},
           {"[[=a=]]", "a", false, true},
           {"[[=a=]]", "A", true, false},
           {"[[.a.]]", "a", false, true},
           {"[[.B.]]", "b", true, false},
           {"[[.].]]", "]", false, true},
           {"[[.hyphen.]]", "h", false, false},
           {"[[.a.]-c]", "B", true, true},
           {"[[=ab=]]", "a]", false, true},
           {"[[:alpha:]", "[a", false, true},
           {"[[:a]", ":", false, true},
           {"[a-[:alpha:]]", "h]", false, true},
           {"[a-[:alpha:]]", "b", false, false},
           {"[]-a]", "a", false, true},
           {"[!]]", "]", false, false},
           {"[\\]]", "]", false, true},
           {"[!]", "[!]", false, true},
           {"[z-a]", "m", false, false},
           {"[!-a]", "b", false, true},
       }) {
    EXPECT_EQ(ralu::name_matches(c.pattern, c.name, c.fold), c.matches)
        << c.pattern << " on " << c.name << (c.fold ? " folded" : "");
  }
}

TEST(RaluTrees, HeadingWordsQuotedForTheShell) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"-r", "-r"},
      {"--exclude=x", "'--exclude=x'"},
      {"", "''"},
      {"a b", "'a b'"},
      {"it's", "\"it's\""},
      {"it's $x", "'it'\\''s $x'"},
      {"{", "'{'"},
      {"{x}", "{x}"},
      {"~x", "'~x'"},
      {"x~", "x~"},
      {"#x", "'#x'"},
      {"%@+,.:", "%@+,.:"},
      {"\xe3\x81\x82", "\xe3\x81\x82"},
  };
  for (const auto& [word, quoted] : cases) EXPECT_EQ(ralu::shell_quoted(word), quoted) << word;
}

TEST(RaluTrees, OptionsAsGivenAreKeptForTheHeading) {
  const std::vector<const char*> args = {"-ru", "old", "-x", "p q", "--", "-N"};
  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(args);
  ASSERT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.options.switches, (std::vector<std::string>{"-ru", "-x", "p q", "--"}));
  EXPECT_EQ(parsed.options.names, (std::vector<std::string>{"old", "-N"}));
  EXPECT_TRUE(parsed.options.tree.recursive);
  EXPECT_EQ(parsed.options.tree.excludes, (std::vector<ralu::ExcludeOption>{{"p q", false}}));
  EXPECT_EQ(platform::path_within("a//", "x"), "a/x");
  EXPECT_EQ(platform::path_within("/", "x"), "/x");
}

}  // namespace

// The address-space limit is POSIX's.
#ifndef _WIN32
namespace {

// Out of memory in a tree, on whichever thread, is "ralu: memory exhausted"
// and status 2, or the run fits and gives what it gives without a limit:
// never an abort. The limits leave too little for two big middles, and the
// smallest too little for the threads' stacks.
TEST(RaluTrees, MemoryExhaustionInATreeIsTrouble) {
  if (test_support::address_sanitizer_active) {
    GTEST_SKIP() << "AddressSanitizer needs more address space than any limit that fails ralu "
                    "leaves";
  }
  TempDir dir;
  std::string old_text, new_text;
  for (int i = 0; i < 600'000; ++i) {
    old_text += "a" + std::to_string(i) + "\n";
    new_text += "b" + std::to_string(i) + "\n";
  }
  std::vector<TreeFile> files = {{"L/m", old_text}, {"R/m", new_text}};
  for (const char* name : {"L/s1", "R/s1", "L/s2", "R/s2", "L/s3", "R/s3"}) {
    files.push_back({name, std::string(1, name[0]) + "\n"});
  }
  make_tree(dir, files);
  for (const char* form : {"-ru", "-rq", "-ruN", "-r", "-ry", "-rc", "-rn"}) {
    const ProcessResult unlimited = test_support::run_ralu(dir, {form, "L", "R"});
    for (const int limit : {12000, 30000, 60000}) {
      SCOPED_TRACE(std::string(form) + " under ulimit -v " + std::to_string(limit));
      const ProcessResult r = test_support::run_ralu_limited(dir, limit, {form, "L", "R"});
      if (r.status == 2 && r.err.ends_with("ralu: memory exhausted\n")) continue;
      EXPECT_EQ(r.status, unlimited.status);
      EXPECT_EQ(r.out, unlimited.out);
      EXPECT_EQ(r.err, unlimited.err);
    }
  }
}

// A tree of three small pairs where no thread can be started compares as
// it does with threads.
TEST(RaluTrees, NoThreadToStartChangesNothing) {
  if (test_support::address_sanitizer_active) {
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
  }
  TempDir dir;
  make_tree(dir, {{"L/a", "1\n"},
                  {"R/a", "2\n"},
                  {"L/b", "b\n"},
                  {"R/b", "b\n"},
                  {"L/c", "c\n"},
                  {"R/c", "C\n"}});
  const ProcessResult unlimited = test_support::run_ralu(dir, {"-ru", "L", "R"});
  const ProcessResult r = test_support::run_ralu_limited(dir, 9000, {"-ru", "L", "R"});
  EXPECT_EQ(unlimited.status, 1);
  EXPECT_EQ(r.status, unlimited.status);
  EXPECT_EQ(r.out, unlimited.out);
  EXPECT_EQ(r.err, unlimited.err);
}

}  // namespace

#endif
