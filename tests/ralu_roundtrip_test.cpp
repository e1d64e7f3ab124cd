// ralu's reports checked against the peer tools: the real `patch` must turn
// the old file into the new one byte for byte, and `diff --minimal` must find
// no shorter script.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ralu/engine/changes.h"
#include "ralu/formats/unified.h"
#include "tests/support/process.h"
#include "tests/support/report_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::ProcessResult;
using test_support::read_file;
using test_support::run_process;
using test_support::TempDir;
using test_support::write_file;

struct Pair {
  std::string old_text;
  std::string new_text;
};

// One line from a vocabulary of `vocabulary` lines, some with a carriage
// return before the line feed, a NUL byte inside, or nothing at all.
std::string vocabulary_line(std::mt19937& rng, unsigned vocabulary, bool odd_bytes) {
  const unsigned word = rng() % vocabulary;
  std::string line(1, 'w');
  line += std::to_string(word);
  if (odd_bytes) {
    if (word % 5 == 1) line += '\r';
    if (word % 7 == 2) line.insert(1, 1, '\0');
    if (word % 11 == 3) line.clear();
  }
  return line;
}

std::string joined(const std::vector<std::string>& lines, bool final_line_end) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += '\n';
  }
  if (!final_line_end && !text.empty()) text.pop_back();
  return text;
}

// A random pair: the new file is the old one with random changes, insertions,
// deletions, moved blocks and repeated blocks; either may lack its final line
// end, and either may be empty.
Pair random_pair(std::mt19937& rng, std::size_t max_lines, bool odd_bytes) {
  const unsigned vocabulary = rng() % 3 == 0 ? 1000 : 1 + rng() % 12;
  std::vector<std::string> old_lines(rng() % 8 == 0 ? 0 : rng() % max_lines);
  for (auto& line : old_lines) line = vocabulary_line(rng, vocabulary, odd_bytes);
  std::vector<std::string> new_lines = old_lines;
  const std::size_t edits = rng() % 8 == 0 ? 0 : 1 + rng() % 10;
  for (std::size_t e = 0; e < edits; ++e) {
    const std::size_t at = new_lines.empty() ? 0 : rng() % (new_lines.size() + 1);
    const std::size_t length = std::min<std::size_t>(1 + rng() % 4, new_lines.size() - at);
    const auto from = new_lines.begin() + static_cast<std::ptrdiff_t>(at);
    switch (rng() % 5) {
      case 0:
        new_lines.insert(from, vocabulary_line(rng, vocabulary, odd_bytes));
        break;
      case 1:
        new_lines.erase(from, from + static_cast<std::ptrdiff_t>(length));
        break;
      case 2:
        if (length > 0) *from = vocabulary_line(rng, vocabulary, odd_bytes);
        break;
      case 3: {  // move a block to another place
        const std::vector<std::string> block(from, from + static_cast<std::ptrdiff_t>(length));
        new_lines.erase(from, from + static_cast<std::ptrdiff_t>(length));
        const std::size_t to = new_lines.empty() ? 0 : rng() % (new_lines.size() + 1);
        new_lines.insert(new_lines.begin() + static_cast<std::ptrdiff_t>(to), block.begin(),
                         block.end());
        break;
      }
      default: {  // repeat a block right after itself
        const std::vector<std::string> block(from, from + static_cast<std::ptrdiff_t>(length));
        new_lines.insert(from, block.begin(), block.end());
        break;
      }
    }
  }
  return {joined(old_lines, rng() % 4 != 0), joined(new_lines, rng() % 4 != 0)};
}

std::string report(const Pair& pair, std::size_t context, bool minimal) {
  const ralu::EditScript script =
      ralu::compare_texts(pair.old_text, pair.new_text, {minimal, std::nullopt});
  const platform::LocalTime time{2024, 1, 2, 3, 4, 5, 6, 0};
  test_support::StringSink sink;
  ralu::write_unified(sink, {"old", time}, {"new", time}, pair.old_text, pair.new_text, script,
                      context);
  return sink.text;
}

// The lines a unified diff deletes and inserts, its header aside.
std::size_t changed_line_count(const std::string& diff) {
  std::size_t count = 0;
  bool in_header = true;
  for (std::size_t at = 0; at < diff.size();) {
    const std::size_t end = std::min(diff.find('\n', at), diff.size());
    const char first = diff[at];
    if (first == '@') in_header = false;
    if (!in_header && (first == '-' || first == '+')) ++count;
    at = end + 1;
  }
  return count;
}

TEST(RaluRoundTrip, PatchTurnsTheOldFileIntoTheNewOne) {
  const std::string patch = test_support::find_program("patch");
  if (patch.empty()) GTEST_SKIP() << "patch is not installed";
  std::mt19937 rng(1234);
  TempDir dir;
  for (int round = 0; round < 300; ++round) {
    const Pair pair = random_pair(rng, round % 10 == 0 ? 400 : 40, true);
    const std::size_t context = round % 4 == 0 ? rng() % 6 : 3;
    const std::string diff = report(pair, context, round % 2 == 0);
    EXPECT_EQ(diff.empty(), pair.old_text == pair.new_text) << "round " << round;
    if (diff.empty()) continue;

    write_file(dir.path("old"), pair.old_text);
    write_file(dir.path("report"), diff);
    // --binary: the lines are bytes, carriage returns included.
    const ProcessResult applied =
        run_process(patch, {"--batch", "--silent", "--binary", "--output=" + dir.path("result"),
                            dir.path("old"), dir.path("report")});
    ASSERT_EQ(applied.status, 0) << "round " << round << "\n" << diff << applied.out << applied.err;
    ASSERT_EQ(read_file(dir.path("result")), pair.new_text) << "round " << round << "\n" << diff;
  }
}

TEST(RaluRoundTrip, AsFewChangedLinesAsDiffMinimal) {
  const std::string diff_program = test_support::find_program("diff");
  if (diff_program.empty()) GTEST_SKIP() << "diff is not installed";
  std::mt19937 rng(99);
  TempDir dir;
  for (int round = 0; round < 200; ++round) {
    const Pair pair = random_pair(rng, 60, false);
    write_file(dir.path("old"), pair.old_text);
    write_file(dir.path("new"), pair.new_text);
    const ProcessResult peer =
        run_process(diff_program, {"--minimal", "--text", "-u", dir.path("old"), dir.path("new")});
    ASSERT_NE(peer.status, 2) << peer.err;
    EXPECT_EQ(changed_line_count(report(pair, 3, false)), changed_line_count(peer.out))
        << "round " << round << "\n"
        << peer.out;
  }
}

}  // namespace
