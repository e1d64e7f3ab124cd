// kevo -t hands a differing text pair to ralu, whose output becomes the report
// named after the first file. These tests run the real binaries end to end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

namespace fs = std::filesystem;
using test_support::file_exists;
using test_support::fold_line_ends;
using test_support::names_in;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::read_file;
using test_support::run_kevo;
using test_support::run_process;
using test_support::TempDir;
using test_support::write_file;

const std::string first_text = "one\ntwo\nthree\nfour\nfive\n";
const std::string second_text = "one\ntwo\n3\nfour\nfive\nsix\n";

std::string unmatch_line(const std::string& first, const std::string& second) {
  return "unmatch: " + first + "(" + std::to_string(first_text.size()) + ") ... " + second + "(" +
         std::to_string(second_text.size()) + ")\n";
}

// The hunks of a report: what follows its two header lines, whose times vary.
std::string hunks_of(const std::string& report) {
  const std::string text = read_file(report);
  const std::size_t second_line_end = text.find('\n', text.find('\n') + 1);
  return second_line_end == std::string::npos ? text : text.substr(second_line_end + 1);
}

// A name behind the current folder, as kevo hands ralu a name that begins
// with a dash.
std::string in_current_folder(const std::string& name) {
  return std::string(".") + test_support::path_separator() + name;
}

const std::string first_to_second_hunks =
    "@@ -1,5 +1,6 @@\n one\n two\n-three\n+3\n four\n five\n+six\n";
const std::string second_to_first_hunks =
    "@@ -1,6 +1,5 @@\n one\n two\n-3\n+three\n four\n five\n-six\n";

// Applies a report to a copy of the first file with the real patch, found
// along PATH; names are relative to the scratch folder.
std::string patched(const TempDir& dir, const std::string& original, const std::string& report) {
  ProcessOptions options;
  options.working_dir = dir.root().string();
  const ProcessResult r = run_process(test_support::find_program("patch"),
                                      {"-s", "-o", "patched", original, report}, options);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  return file_exists(dir.path("patched")) ? read_file(dir.path("patched")) : std::string();
}

// A Windows system has no patch; there the hunks alone are checked.
bool patch_is_available() { return !test_support::find_program("patch").empty(); }

class KevoHandOffWithRalu : public testing::Test {
 protected:
  void SetUp() override {
    write_file(dir.path("a.txt"), first_text);
    fs::create_directory(dir.root() / "b");
    write_file(dir.path("b/a.txt"), second_text);
  }
  TempDir dir;
};

TEST_F(KevoHandOffWithRalu, ReportInCurrentFolderRebuildsTheSecondFile) {
  const ProcessResult r = run_kevo(dir, {"-t", "a.txt", "b\\a.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, unmatch_line("a.txt", "b\\a.txt"));
  EXPECT_EQ(r.err, "... ralu a.txt b\\a.txt > .\\a.txt.dif\n");
  ASSERT_TRUE(file_exists(dir.path("a.txt.dif")));
  EXPECT_EQ(hunks_of(dir.path("a.txt.dif")), first_to_second_hunks);
  if (patch_is_available()) {
    EXPECT_EQ(patched(dir, "a.txt", "a.txt.dif"), second_text);
  }
}

TEST_F(KevoHandOffWithRalu, ReportInOutputFolder) {
  fs::create_directory(dir.root() / "out");
  for (const std::string folder : {"out", "out\\"}) {
    const ProcessResult r = run_kevo(dir, {"-t", "-o", folder, "b\\a.txt", "a.txt"});
    EXPECT_EQ(r.status, 0);
    const std::string report = folder + "\\a.txt.dif";
    EXPECT_EQ(r.err, "... ralu b\\a.txt a.txt > " + report + "\n");
    ASSERT_TRUE(file_exists(dir.path("out/a.txt.dif")));
    EXPECT_EQ(hunks_of(dir.path("out/a.txt.dif")), second_to_first_hunks);
    if (patch_is_available()) {
      EXPECT_EQ(patched(dir, "b/a.txt", "out/a.txt.dif"), first_text);
    }
    fs::remove(dir.root() / "out/a.txt.dif");
  }
}

TEST_F(KevoHandOffWithRalu, PairsThatAreNotHandedOn) {
  write_file(dir.path("same.txt"), first_text);
  write_file(dir.path("zero-byte.txt"), first_text + std::string(1, '\0'));
  write_file(dir.path("esc.txt"), "\x1b" + second_text);
  const std::vector<std::vector<std::string>> runs = {
      {"-t", "a.txt", "same.txt"},       // equal
      {"-t", "a.txt", "zero-byte.txt"},  // a control byte in the second file
      {"-t", "esc.txt", "a.txt"},        // a control byte in the first file
      {"a.txt", "b\\a.txt"},             // no -t
  };
  for (const auto& args : runs) {
    const ProcessResult r = run_kevo(dir, args);
    EXPECT_EQ(r.status, 0) << args[1];
    EXPECT_EQ(r.err, "") << args[1];
  }
  EXPECT_FALSE(file_exists(dir.path("a.txt.dif")));
  EXPECT_FALSE(file_exists(dir.path("esc.txt.dif")));
}

// A kevo with no ralu beside it, and a stand-in ralu on PATH that writes what
// it receives (show_args: "argc=2", then each argument in brackets), so the
// tests see exactly how ralu is started.
class KevoHandOffStandIn : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(dir.root() / "tools");
    fs::create_directory(dir.root() / "work");
    kevo = test_support::copy_kevo_into(dir.path("tools"));
    fs::create_directory(dir.root() / "standin");
    test_support::copy_program_into(stand_in_ralu(), dir.path("standin"), "ralu");
    write_file(work("a.txt"), first_text);
    write_file(work("b.txt"), second_text);
  }

  virtual std::string stand_in_ralu() const { return SHOW_ARGS_PATH; }

  std::string work(const std::string& name) const { return dir.path("work/" + name); }

  // A report as the stand-in wrote it, its line ends as on POSIX.
  std::string report(const std::string& name) const {
    return fold_line_ends(read_file(work(name)));
  }

  // runner: a program and its arguments that run kevo (as another user, say).
  ProcessResult kevo_run(const std::vector<std::string>& args,
                         std::optional<std::string> input = {}, bool with_standin = true,
                         const std::vector<std::string>& runner = {}) {
    ProcessOptions options;
    options.working_dir = dir.path("work");
    options.input = std::move(input);
    std::vector<std::string> path = {"/usr/bin", "/bin"};
    if (with_standin) path.insert(path.begin(), dir.path("standin"));
    options.extra_env = extra_env;
    options.extra_env.push_back(test_support::path_variable(path));
    if (runner.empty()) return run_process(kevo, args, options);
    std::vector<std::string> command(runner.begin() + 1, runner.end());
    command.push_back(kevo);
    command.insert(command.end(), args.begin(), args.end());
    return run_process(runner.front(), command, options);
  }

  TempDir dir;
  std::string kevo;
  std::vector<std::string> extra_env;  // for kevo, and so for the stand-in
};

TEST_F(KevoHandOffStandIn, NamesReachRaluAsExactlyTwoArgumentsAndNothingElseRuns) {
  // Names for a POSIX shell, then for cmd (which Windows would have used).
  const std::vector<std::string> hostile = {"with blank.txt",
                                            "x;touch pwned1;.txt",
                                            "$(touch pwned2).txt",
                                            "`touch pwned3`.txt",
                                            "a&&touch pwned4|b>c<d.txt",
                                            "quote'\"q.txt",
                                            "100%s%d%n.txt",
                                            "*?[x].txt",
                                            "tab\tand\nnewline.txt",
                                            "x&&copy b.txt pwned5&&(.txt",
                                            "%PATH%^!x!.txt"};
  for (const std::string& name : hostile) {
    if (!test_support::file_names_may_hold(name)) continue;  // not a name on this system
    write_file(work(name), first_text);
    const ProcessResult r = kevo_run({"-t", name, "b.txt"});
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.err, "... ralu " + name + " b.txt > .\\" + name + ".dif\n");
    ASSERT_TRUE(file_exists(work(name + ".dif"))) << name;
    EXPECT_EQ(report(name + ".dif"), "argc=2\n[" + name + "]\n[b.txt]\n");
  }
  // A second name may begin with a dash or be a lone dash; it is still a
  // name, and reaches ralu as a path that ralu cannot take for an option or
  // for standard input.
  for (const std::string name : {"-dash.txt", "-"}) {
    write_file(work(name), second_text);
    const ProcessResult dash = kevo_run({"-t", "a.txt", name});
    EXPECT_EQ(dash.err, "... ralu a.txt " + name + " > .\\a.txt.dif\n");
    EXPECT_EQ(report("a.txt.dif"), "argc=2\n[a.txt]\n[" + in_current_folder(name) + "]\n");
    fs::remove(work("a.txt.dif"));
  }

  for (const char* marker : {"pwned1", "pwned2", "pwned3", "pwned4", "pwned5"}) {
    EXPECT_FALSE(file_exists(work(marker))) << marker;
  }
}

TEST_F(KevoHandOffStandIn, TabsLineEndsFormFeedsDeleteAndShiftJisStayText) {
  const std::string text = "a\tb\r\n\f\x7f\x83\x65\x83\x4c\xb1\x95\x5c\n";
  write_file(work("c.txt"), text);
  write_file(work("d.txt"), text + "more\n");
  const ProcessResult r = kevo_run({"-t", "c.txt", "d.txt"});
  EXPECT_EQ(r.err, "... ralu c.txt d.txt > .\\c.txt.dif\n");
  EXPECT_TRUE(file_exists(work("c.txt.dif")));
}

struct NamePartCase {
  std::string first;
  std::string report_shown;
  std::string report_file;
  std::string first_as_opened;  // what ralu receives
};

TEST_F(KevoHandOffStandIn, NamePartFollowsTheLastSeparatingBackslash) {
  fs::create_directory(dir.path("work/sub"));
  write_file(work("sub/a.txt"), first_text);
  const std::string sub = std::string("sub") + test_support::path_separator();
  const std::vector<NamePartCase> cases = {
      {"a.txt", ".\\a.txt.dif", "a.txt.dif", "a.txt"},
      {"sub\\a.txt", ".\\a.txt.dif", "a.txt.dif", sub + "a.txt"},
      // A slash stays in the name part.
      {"sub/a.txt", ".\\sub/a.txt.dif", "sub/a.txt.dif", "sub/a.txt"},
  };
  for (const NamePartCase& c : cases) {
    const ProcessResult r = kevo_run({"-t", c.first, "b.txt"});
    EXPECT_EQ(r.err, "... ralu " + c.first + " b.txt > " + c.report_shown + "\n") << c.first;
    EXPECT_EQ(report(c.report_file), "argc=2\n[" + c.first_as_opened + "]\n[b.txt]\n") << c.first;
    fs::remove(work(c.report_file));
  }
}

TEST_F(KevoHandOffStandIn, ShiftJisTrailByteDoesNotSplitTheNamePart) {
  if (const auto why = test_support::why_shift_jis_names_cannot_work(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  // A trail byte 0x5C belongs to its character and does not split the name.
  const std::string sjis = "\x95\x5c.txt";
  write_file(work(sjis), first_text);
  fs::create_directory(dir.path("work/sub"));
  write_file(work("sub/" + sjis), first_text);
  const std::string sub = std::string("sub") + test_support::path_separator();
  const std::vector<NamePartCase> cases = {
      {sjis, ".\\" + sjis + ".dif", sjis + ".dif", sjis},
      {"sub\\" + sjis, ".\\" + sjis + ".dif", sjis + ".dif", sub + sjis},
  };
  for (const NamePartCase& c : cases) {
    const ProcessResult r = kevo_run({"-t", c.first, "b.txt"});
    EXPECT_EQ(r.err, "... ralu " + c.first + " b.txt > " + c.report_shown + "\n") << c.first;
    EXPECT_EQ(report(c.report_file), "argc=2\n[" + c.first_as_opened + "]\n[b.txt]\n") << c.first;
    std::remove(work(c.report_file).c_str());  // std::filesystem would re-encode the name
  }
}

TEST_F(KevoHandOffStandIn, OverwriteQuestion) {
  const std::string echo = "... ralu a.txt b.txt > .\\a.txt.dif\n";
  const std::string question = ".\\a.txt.dif: overwrite? (y/n) ";
  const std::string fresh = "argc=2\n[a.txt]\n[b.txt]\n";
  struct Case {
    std::optional<std::string> answer;
    bool replaced;
  };
  const std::vector<Case>
      cases =
          {
              {"y\n", true},         {"Y\n", true}, {"yes\n", true}, {"y", true},
              {"n\n", false},        {"\n", false}, {" y\n", false}, {"N\n", false},
              {std::nullopt, false},  // standard input at its end: no answer is not a yes
          };
  for (const Case& c : cases) {
    write_file(work("a.txt.dif"), "old report\n");
    const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, c.answer);
    const std::string shown = c.answer.value_or("<end of input>");
    EXPECT_EQ(r.status, 0) << shown;
    EXPECT_EQ(r.out, unmatch_line("a.txt", "b.txt")) << shown;
    EXPECT_EQ(r.err, echo + question) << shown;
    EXPECT_EQ(report("a.txt.dif"), c.replaced ? fresh : "old report\n") << shown;
  }
}

TEST_F(KevoHandOffStandIn, ReplacedReportKeepsItsPermissionsANewOneHasANewFiles) {
  const test_support::OrdinaryUser ordinary = test_support::ordinary_user();
  write_file(work("new"), "");
  const long long new_file_bits = test_support::permission_bits_of(work("new"));
  if (new_file_bits < 0) GTEST_SKIP() << "no permission bits on this system";
  // A new report is a new file, not a private temporary one.
  ASSERT_EQ(kevo_run({"-t", "a.txt", "b.txt"}).status, 0);
  EXPECT_EQ(test_support::permission_bits_of(work("a.txt.dif")), new_file_bits);

  // A replaced one keeps what its owner gave it: a private report stays so.
  for (const unsigned bits : {0600U, 0640U, 0444U, 0000U}) {
    fs::remove(work("a.txt.dif"));
    write_file(work("a.txt.dif"), "old report\n");
    test_support::give_to({}, work("a.txt.dif"), bits);
    const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, "y\n");
    EXPECT_EQ(r.status, 0) << bits;
    EXPECT_EQ(test_support::permission_bits_of(work("a.txt.dif")), bits) << bits;
    fs::permissions(work("a.txt.dif"), fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(report("a.txt.dif"), "argc=2\n[a.txt]\n[b.txt]\n") << bits;
  }
  // And its group, where this user may give the new one that group: root may.
  if (ordinary.uid >= 0) {
    test_support::give_to({{}, -1, ordinary.gid, {}}, work("a.txt.dif"), 0640);
    ASSERT_EQ(kevo_run({"-t", "a.txt", "b.txt"}, "y\n").status, 0);
    EXPECT_EQ(test_support::group_of(work("a.txt.dif")), ordinary.gid);
    EXPECT_EQ(test_support::permission_bits_of(work("a.txt.dif")), 0640);
  }
}

// What may stand at a report's name: each is asked about, kept on a no and
// replaced as itself on a yes; a link is never written through.
TEST_F(KevoHandOffStandIn, AnythingAtTheReportsNameIsAskedAbout) {
  const std::string question =
      "... ralu a.txt b.txt > .\\a.txt.dif\n.\\a.txt.dif: overwrite? (y/n) ";
  const std::string fresh = "argc=2\n[a.txt]\n[b.txt]\n";
  write_file(work("target"), "target\n");
  struct Entry {
    std::string kind;
    std::string link_to;  // empty: a file of mode 000
  };
  const std::vector<Entry> entries = {
      {"dangling link", "nowhere"}, {"link to a file", "target"}, {"file of mode 000", ""}};
  for (const Entry& entry : entries) {
    for (const std::string answer : {"n\n", "y\n"}) {
      const std::string shown = entry.kind + ", " + answer.substr(0, 1);
      fs::remove(work("a.txt.dif"));
      if (!entry.link_to.empty()) {
        std::error_code error;
        fs::create_symlink(entry.link_to, work("a.txt.dif"), error);
        if (error) continue;  // no symbolic links on this system
      } else {
        if (test_support::permission_bits_of(work("target")) < 0) continue;  // no mode 000 here
        write_file(work("a.txt.dif"), "old report\n");
        fs::permissions(work("a.txt.dif"), fs::perms::none);
      }
      const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, answer);
      EXPECT_EQ(r.status, 0) << shown;
      EXPECT_EQ(r.err, question) << shown;
      const bool replaced = answer == "y\n";
      EXPECT_EQ(fs::is_symlink(work("a.txt.dif")), !entry.link_to.empty() && !replaced) << shown;
      if (entry.link_to.empty()) {
        fs::permissions(work("a.txt.dif"), fs::perms::owner_read, fs::perm_options::add);
      }
      if (replaced || entry.link_to.empty()) {
        EXPECT_EQ(report("a.txt.dif"), replaced ? fresh : "old report\n") << shown;
      }
      EXPECT_EQ(read_file(work("target")), "target\n") << shown;
      EXPECT_FALSE(file_exists(work("nowhere"))) << shown;
    }
  }
}

TEST_F(KevoHandOffStandIn, ReportAnotherProgramHoldsIsAskedAbout) {
  write_file(work("a.txt.dif"), "old report\n");
  {
    const test_support::ExclusiveHold hold(work("a.txt.dif"));
    if (!hold.why_not().empty()) GTEST_SKIP() << hold.why_not();
    const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, "n\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "... ralu a.txt b.txt > .\\a.txt.dif\n.\\a.txt.dif: overwrite? (y/n) ");
  }
  EXPECT_EQ(read_file(work("a.txt.dif")), "old report\n");
}

// A report its owner cannot read, with kevo run by that owner: for root,
// permissions mean nothing, so then by an ordinary user where there is one.
TEST_F(KevoHandOffStandIn, ReportItsOwnerCannotReadIsAskedAbout) {
  const test_support::OrdinaryUser user = test_support::ordinary_user();
  if (!user.why_not.empty()) GTEST_SKIP() << user.why_not;
  test_support::give_to(user, work(""), 0755);
  const std::string question =
      "... ralu a.txt b.txt > .\\a.txt.dif\n.\\a.txt.dif: overwrite? (y/n) ";
  for (const unsigned bits : {0000U, 0200U}) {
    for (const std::string answer : {"n\n", "y\n"}) {
      const std::string shown = std::to_string(bits) + ", " + answer.substr(0, 1);
      fs::remove(work("a.txt.dif"));
      write_file(work("a.txt.dif"), "old report\n");
      test_support::give_to(user, work("a.txt.dif"), bits);
      std::vector<std::string> args = {"-t", "a.txt", "b.txt"};
      const ProcessResult r = kevo_run(args, answer, true, user.runner);
      EXPECT_EQ(r.status, 0) << shown;
      EXPECT_EQ(r.err, question) << shown;
      EXPECT_EQ(test_support::permission_bits_of(work("a.txt.dif")), bits) << shown;
      fs::permissions(work("a.txt.dif"), fs::perms::owner_read, fs::perm_options::add);
      EXPECT_EQ(report("a.txt.dif"),
                answer == "y\n" ? "argc=2\n[a.txt]\n[b.txt]\n" : "old report\n")
          << shown;
    }
  }
}

TEST_F(KevoHandOffStandIn, NameLengthLimit) {
  // first + second + output folder: 5 + 5 + 2038 = 2048 bytes pass, one more is refused.
  std::string folder;
  while (folder.size() < 2038) folder += "./";
  const ProcessResult at_limit = kevo_run({"-t", "-o", folder, "a.txt", "b.txt"});
  EXPECT_EQ(at_limit.status, 0);
  const std::string echo = "... ralu a.txt b.txt > " + folder + "\\a.txt.dif\n";
  if (test_support::why_long_names_cannot_work().empty()) {
    EXPECT_EQ(at_limit.err, echo);
    EXPECT_TRUE(file_exists(work("a.txt.dif")));
    fs::remove(work("a.txt.dif"));
  } else {
    // The name passes the limit and is echoed; the system then refuses it.
    EXPECT_EQ(at_limit.err.substr(0, echo.size()), echo);
    EXPECT_NE(at_limit.err.find(": cannot write the report ("), std::string::npos);
  }

  const ProcessResult over = kevo_run({"-t", "-o", folder + ".", "a.txt", "b.txt"});
  EXPECT_EQ(over.status, 0);
  EXPECT_EQ(over.out, unmatch_line("a.txt", "b.txt"));
  EXPECT_EQ(over.err, "too long pass or filename found!\n");
  EXPECT_FALSE(file_exists(work("a.txt.dif")));
}

TEST_F(KevoHandOffStandIn, RaluMissingLeavesNoReportAndAsksNothing) {
  const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, {}, false);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "... ralu a.txt b.txt > .\\a.txt.dif\n"
            "ralu: not found beside kevo or along PATH; no report written\n");
  EXPECT_FALSE(file_exists(work("a.txt.dif")));

  // With nothing to replace it with, an existing report is not asked about.
  write_file(work("a.txt.dif"), "old report\n");
  const ProcessResult kept = kevo_run({"-t", "a.txt", "b.txt"}, "y\n", false);
  EXPECT_EQ(kept.status, 0);
  EXPECT_EQ(kept.err, r.err);
  EXPECT_EQ(read_file(work("a.txt.dif")), "old report\n");
}

TEST_F(KevoHandOffStandIn, ReportFolderThatDoesNotExist) {
  const ProcessResult r = kevo_run({"-t", "-o", "nowhere", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "... ralu a.txt b.txt > nowhere\\a.txt.dif\n"
            "nowhere\\a.txt.dif: cannot write the report (" +
                test_support::missing_folder_reason() + ")\n");
  EXPECT_FALSE(file_exists(work("nowhere")));

  // A file where the folder should be.
  const ProcessResult through_file = kevo_run({"-t", "-o", "b.txt", "a.txt", "b.txt"});
  EXPECT_EQ(through_file.status, 0);
  EXPECT_EQ(through_file.err,
            "... ralu a.txt b.txt > b.txt\\a.txt.dif\n"
            "b.txt\\a.txt.dif: cannot write the report (" +
                test_support::not_a_folder_reason() + ")\n");
  EXPECT_EQ(read_file(work("b.txt")), second_text);
}

TEST_F(KevoHandOffStandIn, ReportNameTooLongForTheSystem) {
  if (const auto why = test_support::why_long_names_cannot_work(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  // A first name of 255 bytes, the longest a component may be, leaves no
  // room for ".dif"; the system's refusal is reported.
  const std::string longest(255, 'n');
  write_file(work(longest), first_text);
  const ProcessResult too_long = kevo_run({"-t", longest, "b.txt"});
  EXPECT_EQ(too_long.status, 0);
  EXPECT_EQ(too_long.err, "... ralu " + longest + " b.txt > .\\" + longest + ".dif\n.\\" + longest +
                              ".dif: cannot write the report (File name too long)\n");
}

// A stand-in ralu that writes the start of a report and a message, then fails:
// with exit status 2, or, with STAND_IN_CRASH set, by being killed.
class KevoHandOffFailingRalu : public KevoHandOffStandIn {
 protected:
  std::string stand_in_ralu() const override { return FAILING_PROGRAM_PATH; }
};

TEST_F(KevoHandOffFailingRalu, FailedRunKeepsAnOldReportAndLeavesNoFile) {
  const std::string old_report = "old report\r\nkept byte for byte \x01\n";
  const std::string echo = "... ralu a.txt b.txt > .\\a.txt.dif\n";
  const std::string question = ".\\a.txt.dif: overwrite? (y/n) ";
  const std::string stand_in_message = "failing_program: trouble\n";
  struct Case {
    bool crash;
    bool old_report;
    std::string failure_start;  // kevo's last line, up to how ralu ended
  };
  const std::vector<Case> cases = {
      {false, false, "ralu: failed with exit status 2"},
      {false, true, "ralu: failed with exit status 2"},
      {true, false, "ralu: failed, ended by "},
      {true, true, "ralu: failed, ended by "},
  };
  for (const Case& c : cases) {
    const std::string shown = std::string(c.crash ? "crash" : "status 2") +
                              (c.old_report ? ", old report" : ", no report");
    extra_env.clear();
    if (c.crash) extra_env.emplace_back("STAND_IN_CRASH=1");
    fs::remove(work("a.txt.dif"));
    if (c.old_report) write_file(work("a.txt.dif"), old_report);

    const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"}, "y\n");
    EXPECT_EQ(r.status, 0) << shown;
    EXPECT_EQ(r.out, unmatch_line("a.txt", "b.txt")) << shown;
    const std::string before = echo + (c.old_report ? question : "") + stand_in_message;
    EXPECT_TRUE(r.err.starts_with(before)) << shown << ": " << r.err;
    const std::string last_line = r.err.substr(r.err.rfind('\n', r.err.size() - 2) + 1);
    EXPECT_TRUE(last_line.starts_with(c.failure_start)) << shown << ": " << last_line;
    EXPECT_TRUE(last_line.ends_with("; no report written\n")) << shown << ": " << last_line;

    const std::vector<std::string> expected_names =
        c.old_report ? std::vector<std::string>{"a.txt", "a.txt.dif", "b.txt"}
                     : std::vector<std::string>{"a.txt", "b.txt"};
    EXPECT_EQ(names_in(work("")), expected_names) << shown;
    if (c.old_report) {
      EXPECT_EQ(read_file(work("a.txt.dif")), old_report) << shown;
    }
  }
}

// A status the stand-in chose is said as that status, also one that reads as
// a large unsigned code on Windows (-1 is 0xFFFFFFFF there, as an exception
// status such as 0xC0000005 is large): only an exception status is a crash.
TEST_F(KevoHandOffFailingRalu, ChosenStatusesAreNoExceptions) {
  struct Case {
    std::string status;    // what the stand-in exits with
    std::string reported;  // what kevo says of it
  };
#ifdef _WIN32
  const std::string minus_one = "-1";
#else
  const std::string minus_one = "255";  // POSIX keeps the low 8 bits of a status
#endif
  const std::vector<Case> cases = {
      {"-1", minus_one},
      {"3", "3"},
      {"-2147483647", "-2147483647"},
  };
  for (const Case& c : cases) {
#ifndef _WIN32
    if (c.status != "-1" && c.status != "3") continue;  // only the low 8 bits reach POSIX
#endif
    extra_env = {"STAND_IN_STATUS=" + c.status};
    const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 0) << c.status;
    EXPECT_TRUE(
        r.err.ends_with("ralu: failed with exit status " + c.reported + "; no report written\n"))
        << c.status << ": " << r.err;
    EXPECT_EQ(names_in(work("")), (std::vector<std::string>{"a.txt", "b.txt"})) << c.status;
  }
}

#ifdef _WIN32
// A ralu.exe that is no program: the system's words for it name the file
// where they have a place for a name ("Bad EXE format for %1"), and no
// unfilled insert is shown.
TEST_F(KevoHandOffStandIn, ARaluThatIsNoProgramIsNamedInTheReason) {
  fs::remove(dir.path("standin/ralu.exe"));
  write_file(dir.path("standin/ralu.exe"), "not a program\n");
  const ProcessResult r = kevo_run({"-t", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 0);
  const std::string start = "ralu: cannot be started (";
  ASSERT_NE(r.err.find(start), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('%'), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ralu.exe", r.err.find(start)), std::string::npos) << r.err;
  EXPECT_TRUE(r.err.ends_with("); no report written\n")) << r.err;
  EXPECT_EQ(names_in(work("")), (std::vector<std::string>{"a.txt", "b.txt"}));
}
#endif

}  // namespace
