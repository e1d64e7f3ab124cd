// The walk's events, in the order the report writes them: which pairs it
// reads the statuses of itself and which it leaves to the report, on a tree
// holding each kind of name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ralu/trees/tree_walk.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

ralu::TreeOptions recursive_options() {
  ralu::TreeOptions options;
  options.recursive = true;
  return options;
}
using ralu::TreeEvent;
using test_support::TempDir;
using test_support::write_file;

// Keeps each event as a line, its paths relative to the scratch folder.
class RecordingSink : public ralu::TreeSink {
 public:
  explicit RecordingSink(std::string root) : root_(std::move(root) + "/") {}

  bool take(TreeEvent event) override {
    events_.push_back(shown(event));
    return true;
  }

  const std::vector<std::string>& events() const { return events_; }

 private:
  std::string relative(std::string text) const {
    for (std::size_t at = text.find(root_); at != std::string::npos; at = text.find(root_, at)) {
      text.erase(at, root_.size());
    }
    return text;
  }

  std::string shown(const TreeEvent& event) const {
    switch (event.kind) {
      case TreeEvent::Kind::line:
        return "line " + relative(event.text);
      case TreeEvent::Kind::trouble:
        return "trouble " + relative(event.text);
      case TreeEvent::Kind::files:
        break;
    }
    std::string line = "files";
    for (std::size_t k = 0; k < 2; ++k) {
      line += " " + (event.absent[k] ? "-" : relative(event.paths[k]));
    }
    if (!event.statuses_known) return line + " unread";
    for (std::size_t k = 0; k < 2; ++k) {
      if (!event.absent[k]) line += " " + std::to_string(event.statuses[k].size);
    }
    return line;
  }

  std::string root_;
  std::vector<std::string> events_;
};

class RaluTreeWalk : public ::testing::Test {
 protected:
  RaluTreeWalk() {
    fs::create_directories(dir_.root() / "a/3");
    fs::create_directories(dir_.root() / "b/3");
    write_file(dir_.path("a/1"), "x\n");
    write_file(dir_.path("b/1"), "yy\n");
    write_file(dir_.path("a/2"), "only a\n");
    write_file(dir_.path("a/3/in"), "1\n");
    write_file(dir_.path("b/3/in"), "2\n");
    write_file(dir_.path("a/4"), "file\n");
    fs::create_directory(dir_.root() / "b/4");
    write_file(dir_.path("a/5"), "5\n");
    write_file(dir_.path("b/5"), "5\n");
    write_file(dir_.path("b/6"), "only b\n");
  }

  // The walk under the options, with -N when `new_file`, leaving out names
  // that match `excluded`.
  std::vector<std::string> walked(bool new_file = false, const char* excluded = nullptr) const {
    std::vector<ralu::ExcludeOption> patterns;
    if (excluded != nullptr) patterns.push_back({excluded, false});
    const ralu::TreeWalk walk{options_, new_file, false, patterns, {}};
    RecordingSink sink(dir_.root().string());
    ralu::walk_trees(walk, {dir_.path("a"), dir_.path("b")}, {false, false}, sink);
    return sink.events();
  }

  TempDir dir_;
  ralu::TreeOptions options_ = recursive_options();
};

TEST_F(RaluTreeWalk, ListedFilesAreLeftUnreadInTheWalksOrder) {
  EXPECT_EQ(walked(), (std::vector<std::string>{
                          "files a/1 b/1 unread",
                          "line Only in a: 2\n",
                          "files a/3/in b/3/in unread",
                          "line File a/4 is a regular file while file b/4 is a directory\n",
                          "files a/5 b/5 unread",
                          "line Only in b: 6\n",
                      }));
}

// A name on one side alone is read by the walk, to be compared with nothing
// under -N; without -r a common folder is said to be one.
TEST_F(RaluTreeWalk, NamesOnOneSideAreReadByTheWalk) {
  options_.recursive = false;
  EXPECT_EQ(walked(true), (std::vector<std::string>{
                              "files a/1 b/1 unread",
                              "files a/2 - 7",
                              "line Common subdirectories: a/3 and b/3\n",
                              "line File a/4 is a regular file while file b/4 is a directory\n",
                              "files a/5 b/5 unread",
                              "files - b/6 7",
                          }));
  options_.unidirectional_new_file = true;
  EXPECT_EQ(walked(false, "[1-4]"),
            (std::vector<std::string>{"files a/5 b/5 unread", "files - b/6 7"}));
}

#ifndef _WIN32
// A link is listed as a link, whatever it leads to: the walk reads what it
// leads to, or the link itself under --no-dereference.
TEST_F(RaluTreeWalk, LinksAreReadByTheWalk) {
  fs::remove(dir_.root() / "a/5");
  fs::create_symlink("1", dir_.root() / "a/5");
  EXPECT_EQ(walked(false, "[2-4]"),
            (std::vector<std::string>{"files a/1 b/1 unread", "files a/5 b/5 2 2",
                                      "line Only in b: 6\n"}));
  options_.no_dereference = true;
  EXPECT_EQ(walked(false, "[2-4]"),
            (std::vector<std::string>{
                "files a/1 b/1 unread",
                "line File a/5 is a symbolic link while file b/5 is a regular file\n",
                "line Only in b: 6\n"}));
}
#endif

}  // namespace
