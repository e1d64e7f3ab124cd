// What a name present in both folders comes to once both statuses are read:
// the one decision the walk makes as it goes and the report makes for two
// listed regular files when their turn comes. Its lines are diff's; a file
// that changed or vanished between the listing and the late read must be
// said as the walk would have said it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ralu/trees/present_pair.h"
#include "ralu/trees/tree_walk.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

ralu::TreeOptions recursive_options() {
  ralu::TreeOptions options;
  options.recursive = true;
  return options;
}
using platform::EntryKind;
using platform::EntryStatus;
using ralu::PairStep;
using ralu::StatusRead;
using ralu::TreeEvent;
using test_support::TempDir;
using test_support::write_file;

// One event as a line to check: where it goes, its status, its text.
std::string shown(const TreeEvent& event) {
  const char* where = event.kind == TreeEvent::Kind::trouble ? "err" : "out";
  return std::string(where) + " " + std::to_string(event.status) + " " + event.text;
}

std::vector<std::string> shown(const std::vector<TreeEvent>& events) {
  std::vector<std::string> lines;
  for (const TreeEvent& event : events) lines.push_back(shown(event));
  return lines;
}

StatusRead found(EntryKind kind, std::uint64_t inode) {
  StatusRead read;
  read.status = EntryStatus{kind, 10, 1, inode};
  return read;
}

StatusRead missing(const char* reason) {
  StatusRead read;
  read.failure = reason;
  return read;
}

TEST(RaluPresentPair, EachPairOfStatusesComesToWhatDiffSays) {
  const std::vector<std::string> no_labels;
  const std::vector<std::string> labels = {"L", "M"};
  struct Case {
    const char* what;
    StatusRead a;
    StatusRead b;
    bool report_identical;
    bool enter_directories;
    const std::vector<std::string>& labels;
    PairStep step;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"two files",
       found(EntryKind::regular, 1),
       found(EntryKind::regular, 2),
       false,
       true,
       no_labels,
       PairStep::compare_files,
       {}},
      {"one file named twice",
       found(EntryKind::regular, 1),
       found(EntryKind::regular, 1),
       false,
       true,
       no_labels,
       PairStep::report,
       {}},
      {"one file named twice, -s",
       found(EntryKind::regular, 1),
       found(EntryKind::regular, 1),
       true,
       true,
       no_labels,
       PairStep::report,
       {"out 0 Files a/x and b/x are identical\n"}},
      {"one file named twice, -s, labels",
       found(EntryKind::regular, 1),
       found(EntryKind::regular, 1),
       true,
       true,
       labels,
       PairStep::report,
       {"out 0 Files L and M are identical\n"}},
      {"one pipe named twice, -s",
       found(EntryKind::fifo, 3),
       found(EntryKind::fifo, 3),
       true,
       true,
       no_labels,
       PairStep::report,
       {"out 0 Files a/x and b/x are identical\n"}},
      {"two directories, walked into",
       found(EntryKind::directory, 1),
       found(EntryKind::directory, 2),
       false,
       true,
       no_labels,
       PairStep::enter,
       {}},
      {"two directories, found late",
       found(EntryKind::directory, 1),
       found(EntryKind::directory, 2),
       false,
       false,
       no_labels,
       PairStep::report,
       {"out 0 Common subdirectories: a/x and b/x\n"}},
      {"labels leave common subdirectories alone",
       found(EntryKind::directory, 1),
       found(EntryKind::directory, 2),
       false,
       false,
       labels,
       PairStep::report,
       {"out 0 Common subdirectories: a/x and b/x\n"}},
      {"one directory named twice, -s",
       found(EntryKind::directory, 1),
       found(EntryKind::directory, 1),
       true,
       false,
       no_labels,
       PairStep::report,
       {}},
      {"two links",
       found(EntryKind::symbolic_link, 1),
       found(EntryKind::symbolic_link, 2),
       false,
       true,
       no_labels,
       PairStep::compare_links,
       {}},
      {"a file and a directory",
       found(EntryKind::regular, 1),
       found(EntryKind::directory, 2),
       false,
       true,
       no_labels,
       PairStep::report,
       {"out 1 File a/x is a regular file while file b/x is a directory\n"}},
      {"a directory and a file, labels",
       found(EntryKind::directory, 1),
       found(EntryKind::regular, 2),
       true,
       true,
       labels,
       PairStep::report,
       {"out 1 File L is a directory while file M is a regular file\n"}},
      {"a link and a file",
       found(EntryKind::symbolic_link, 1),
       found(EntryKind::regular, 2),
       false,
       true,
       no_labels,
       PairStep::report,
       {"out 1 File a/x is a symbolic link while file b/x is a regular file\n"}},
      {"a file and a pipe",
       found(EntryKind::regular, 1),
       found(EntryKind::fifo, 2),
       false,
       true,
       no_labels,
       PairStep::report,
       {"out 1 File a/x is a regular file while file b/x is a fifo\n"}},
      {"the first gone",
       missing("No such file or directory"),
       found(EntryKind::regular, 2),
       true,
       true,
       no_labels,
       PairStep::report,
       {"err 2 ralu: a/x: No such file or directory\n"}},
      {"the second unreadable",
       found(EntryKind::directory, 1),
       missing("Permission denied"),
       false,
       true,
       labels,
       PairStep::report,
       {"err 2 ralu: b/x: Permission denied\n"}},
      {"both gone, both said in order",
       missing("No such file or directory"),
       missing("Not a directory"),
       false,
       true,
       no_labels,
       PairStep::report,
       {"err 2 ralu: a/x: No such file or directory\n", "err 2 ralu: b/x: Not a directory\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ralu::PairDecision decision = ralu::decide_present_pair(
        {"a/x", "b/x"}, {c.a, c.b}, {c.labels, c.report_identical, c.enter_directories});
    EXPECT_EQ(decision.step, c.step);
    EXPECT_EQ(shown(decision.lines), c.lines);
  }
}

// Two names listed as regular files, read late, when the files have stayed
// as listed or have changed since.
class RaluListedFiles : public ::testing::Test {
 protected:
  RaluListedFiles() {
    fs::create_directory(dir_.root() / "a");
    fs::create_directory(dir_.root() / "b");
    write_file(dir_.path("a/x"), "one\n");
    write_file(dir_.path("b/x"), "three\n");
  }

  ralu::ListedFilesRead read(bool report_identical = false,
                             std::vector<std::string> labels = {}) const {
    const ralu::TreeWalk walk{options_, false, report_identical, {}, std::move(labels)};
    return ralu::read_listed_files(paths_, walk);
  }

  TempDir dir_;
  ralu::TreeOptions options_ = recursive_options();
  const std::array<std::string, 2> paths_ = {dir_.path("a/x"), dir_.path("b/x")};
};

TEST_F(RaluListedFiles, FilesAsListedAreComparedWithTheStatusesRead) {
  const ralu::ListedFilesRead read_now = read();
  ASSERT_TRUE(read_now.files);
  EXPECT_TRUE(read_now.instead.empty());
  EXPECT_EQ((*read_now.files)[0].kind, EntryKind::regular);
  EXPECT_EQ((*read_now.files)[0].size, 4U);
  EXPECT_EQ((*read_now.files)[1].size, 6U);
}

TEST_F(RaluListedFiles, AFileGoneSinceItsListingIsTrouble) {
  fs::remove(paths_[1]);
  ralu::ListedFilesRead read_now = read();
  EXPECT_FALSE(read_now.files);
  ASSERT_EQ(read_now.instead.size(), 1U);
  EXPECT_EQ(read_now.instead[0].kind, TreeEvent::Kind::trouble);
  EXPECT_EQ(read_now.instead[0].status, 2);
  EXPECT_TRUE(read_now.instead[0].text.starts_with("ralu: " + paths_[1] + ": "))
      << read_now.instead[0].text;
  fs::remove(paths_[0]);
  read_now = read();
  ASSERT_EQ(read_now.instead.size(), 2U);
  EXPECT_TRUE(read_now.instead[0].text.starts_with("ralu: " + paths_[0] + ": "));
  EXPECT_TRUE(read_now.instead[1].text.starts_with("ralu: " + paths_[1] + ": "));
}

TEST_F(RaluListedFiles, OneFileUnderTwoNamesIsIdenticalOnlyUnderS) {
  fs::remove(paths_[1]);
  fs::create_hard_link(paths_[0], paths_[1]);
  EXPECT_FALSE(read().files);
  EXPECT_TRUE(read().instead.empty());
  EXPECT_EQ(shown(read(true).instead),
            std::vector<std::string>{"out 0 Files " + paths_[0] + " and " + paths_[1] +
                                     " are identical\n"});
  EXPECT_EQ(shown(read(true, {"L", "M"}).instead),
            std::vector<std::string>{"out 0 Files L and M are identical\n"});
}

TEST_F(RaluListedFiles, AnEntryThatChangedKindIsSaidSo) {
  fs::remove(paths_[1]);
  fs::create_directory(paths_[1]);
  EXPECT_FALSE(read().files);
  EXPECT_EQ(shown(read().instead),
            std::vector<std::string>{"out 1 File " + paths_[0] + " is a regular file while file " +
                                     paths_[1] + " is a directory\n"});
  EXPECT_EQ(
      shown(read(false, {"L", "M"}).instead),
      std::vector<std::string>{"out 1 File L is a regular file while file M is a directory\n"});
  // Two directories now, under -r still: the walk is past them.
  fs::remove(paths_[0]);
  fs::create_directory(paths_[0]);
  EXPECT_EQ(shown(read().instead),
            std::vector<std::string>{"out 0 Common subdirectories: " + paths_[0] + " and " +
                                     paths_[1] + "\n"});
}

#ifndef _WIN32
TEST_F(RaluListedFiles, FilesThatBecameLinksAreComparedAsTheWalkWould) {
  write_file(dir_.path("t1"), "t\n");
  write_file(dir_.path("t2"), "t\n");
  fs::remove(paths_[0]);
  fs::remove(paths_[1]);
  fs::create_symlink("../t1", paths_[0]);
  fs::create_symlink("../t1", paths_[1]);
  // Followed, they lead to one file.
  EXPECT_FALSE(read().files);
  EXPECT_TRUE(read().instead.empty());
  options_.no_dereference = true;
  EXPECT_FALSE(read().files);
  EXPECT_TRUE(read().instead.empty());
  fs::remove(paths_[1]);
  fs::create_symlink("../t2", paths_[1]);
  EXPECT_EQ(shown(read().instead), std::vector<std::string>{"out 1 Symbolic links " + paths_[0] +
                                                            " and " + paths_[1] + " differ\n"});
  options_.no_dereference = false;
  EXPECT_TRUE(read().files);
}
#endif

}  // namespace
