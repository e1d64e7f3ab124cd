// Huge pairs a region at a time: where the anchor search cuts and where it
// must not, the pieces a pass hands on, and a file that changes size while
// the pass reads it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ralu/command/options.h"
#include "ralu/command/plan.h"
#include "ralu/engine/anchors.h"
#include "ralu/engine/lines.h"
#include "ralu/inputs/operands.h"
#include "ralu/pair/comparison.h"
#include "ralu/pair/pair_output.h"
#include "ralu/pair/region_pass.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::TempDir;
using test_support::write_file;

constexpr ralu::HashSettings hashing{12345};

// Lines "u<first>" to "u<last>", each unique; "blank" and "brace" lines repeat.
std::string unique_lines(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += "u" + std::to_string(i) + "\n";
  return text;
}
std::string repeated(const std::string& line, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

struct AnchorCase {
  const char* what;
  std::string old_text;
  std::string new_text;
  bool whole;  // whether the windows reach the texts' ends
  std::optional<ralu::Anchor> expected;
};

// Runs of 10 lines anchor here, and windows that are not whole must reach 5
// lines past them.
TEST(RaluAnchors, RunsAnchorOnlyWithEnoughUniqueLinesAndRoomAfter) {
  const ralu::AnchorRule rule{10, 5};
  const std::vector<AnchorCase> cases = {
      {"a changed line: the run starts after it, reached with one deletion and one insertion",
       "old\n" + unique_lines(1, 30), "new\n" + unique_lines(1, 30), true, ralu::Anchor{1, 1}},
      {"an inserted block: the run is on another diagonal", "x\n" + unique_lines(1, 30),
       "y\nz\nw\n" + unique_lines(1, 30), true, ralu::Anchor{1, 3}},
      {"blank lines only after the change: no line of the run is unique",
       "old\n" + repeated("\n", 30), "new\n" + repeated("\n", 30), true, std::nullopt},
      {"blank lines, then unique ones: the run starts once it holds as many unique lines as"
       " it cost edits, two",
       "old\n" + repeated("\n", 12) + unique_lines(1, 20),
       "new\n" + repeated("\n", 12) + unique_lines(1, 20), true, ralu::Anchor{5, 5}},
      {"three changed lines cost six edits, more than the five unique lines of the run",
       "a\nb\nc\n" + unique_lines(1, 5) + repeated("}\n", 20),
       "A\nB\nC\n" + unique_lines(1, 5) + repeated("}\n", 20), true, std::nullopt},
      {"six unique lines pay for them", "a\nb\nc\n" + unique_lines(1, 6) + repeated("}\n", 20),
       "A\nB\nC\n" + unique_lines(1, 6) + repeated("}\n", 20), true, ralu::Anchor{3, 3}},
      {"a line of the run recurs in the window, so it is not unique there",
       "old\n" + unique_lines(1, 10) + "u1\n", "new\n" + unique_lines(1, 10), true,
       ralu::Anchor{1, 1}},
      {"windows that end short of the texts must reach the horizon past the run",
       "old\n" + unique_lines(1, 14), "new\n" + unique_lines(1, 14), false, std::nullopt},
      {"and do with a line more", "old\n" + unique_lines(1, 15), "new\n" + unique_lines(1, 15),
       false, ralu::Anchor{1, 1}},
  };
  for (const AnchorCase& c : cases) {
    const ralu::LineTable old_lines(c.old_text), new_lines(c.new_text);
    const ralu::WindowHashes hashes = ralu::hash_windows(old_lines, new_lines, hashing);
    const std::optional<ralu::Anchor> found =
        ralu::find_anchor({old_lines, new_lines, hashes.old_hashes, hashes.new_hashes,
                           hashes.old_unique, 0, 0, c.whole, c.whole},
                          rule);
    ASSERT_EQ(found.has_value(), c.expected.has_value()) << c.what;
    if (found) {
      EXPECT_EQ(found->old_line, c.expected->old_line) << c.what;
      EXPECT_EQ(found->new_line, c.expected->new_line) << c.what;
    }
  }
}

// Keeps what each piece covers.
class PieceRecorder : public ralu::PieceSink {
 public:
  bool take(const ralu::Piece& piece) override {
    pieces.push_back({piece.old_first_line, ralu::count_lines(piece.old_text), piece.new_first_line,
                      ralu::count_lines(piece.new_text), piece.old_at_end});
    return true;
  }

  struct Covered {
    std::uint64_t old_first, old_count, new_first, new_count;
    bool at_end;
    bool operator==(const Covered&) const = default;
  };
  std::vector<Covered> pieces;
};

// 3,000 unique lines with a line changed at 100 and 1,500 and one inserted
// after 2,900, read in chunks of 1,000 bytes. Each change is a piece of its
// own: 103 lines of margin before it (compaction's 100 and the context of
// 3) as far as there are lines, the changed lines, and as many of the
// anchor's run after it. The last has too few lines after it for a run, and
// reaches the end, where its windows do.
TEST(RaluRegionPass, FarApartChangesArePiecesOfTheirOwn) {
  const std::string old_text = unique_lines(1, 3'000);
  const std::string new_text = unique_lines(1, 99) + "changed\n" + unique_lines(101, 1'499) +
                               "changed too\n" + unique_lines(1'501, 2'900) + "inserted\n" +
                               unique_lines(2'901, 3'000);
  ralu::MemorySource old_source(old_text), new_source(new_text);
  ralu::RegionRule rule;
  rule.horizon_lines = 300;
  rule.context = 3;
  rule.chunk = 1'000;
  rule.hashing = hashing;
  const ralu::RestBytes no_rest = [](std::size_t, std::uint64_t, std::uint64_t) {
    ADD_FAILURE() << "no piece should need the rest of the pair";
    return std::string_view();
  };
  PieceRecorder recorder;
  EXPECT_EQ(ralu::pass_in_regions(old_source, new_source, rule, no_rest, recorder),
            ralu::PassEnd::compared);
  const std::vector<PieceRecorder::Covered> expected = {
      {0, 99 + 1 + 103, 0, 99 + 1 + 103, false},
      {1'499 - 103, 103 + 1 + 103, 1'499 - 103, 103 + 1 + 103, false},
      {2'900 - 103, 103 + 100, 2'900 - 103, 103 + 1 + 100, true},
  };
  EXPECT_EQ(recorder.pieces, expected);
}

// What the pair wrote and warned, with the file made shorter as soon as the
// first hunk is written.
class ShrinkingOutput : public ralu::PairOutput {
 public:
  explicit ShrinkingOutput(std::string path) : path_(std::move(path)) {}
  void write(std::string_view bytes) override {
    if (!shrunk_) std::filesystem::resize_file(path_, 10'000);
    shrunk_ = true;
    report += bytes;
  }
  void warn(std::string_view line) override { warnings += line; }
  std::string report, warnings;

 private:
  std::string path_;
  bool shrunk_ = false;
};

// The shortened file is met either by a read, which is trouble that ends the
// run, or through the mapping, which ends the process: status 2 and the
// message both ways.
TEST(RaluRegionPassDeathTest, AFileThatChangesSizeDuringThePassEndsTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows refuses to shorten a file while it is mapped";
#else
  TempDir dir;
  const std::string old_path = dir.path("old"), new_path = dir.path("new");
  // Larger than files read whole at once.
  write_file(old_path, unique_lines(1, 60'000));
  write_file(new_path, "changed\n" + unique_lines(2, 60'000));
  std::vector<const char*> arguments = {"--horizon-lines=300", "x", "y"};
  const ralu::RunPlan plan = ralu::plan_run(ralu::parse_command_line(arguments).options);
  const ralu::Operands operands = ralu::look_at_operands({old_path, new_path});
  EXPECT_EXIT(
      {
        ShrinkingOutput out(new_path);
        const ralu::Outcome outcome = ralu::compare_operands(plan, operands, out);
        std::fputs(out.warnings.c_str(), stderr);
        std::exit(outcome.ends_run ? outcome.status : 100);
      },
      testing::ExitedWithCode(2), "new: changed size while being read\n");
#endif
}

}  // namespace
