// The run of one pair, in process: what it writes and warns, and the
// outcome it gives back, trouble included; and the queue that carries a
// walk's events to the report.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "ralu/command/options.h"
#include "ralu/command/plan.h"
#include "ralu/inputs/operands.h"
#include "ralu/pair/comparison.h"
#include "ralu/pair/pair_output.h"
#include "ralu/trees/pair_screen.h"
#include "ralu/trees/report_queue.h"
#include "ralu/trouble.h"
#include "tests/support/temp_dir.h"

namespace {

using test_support::TempDir;
using test_support::write_file;

// What a pair wrote, each part marked as report ('o') or warning ('e').
class RecordedOutput : public ralu::PairOutput {
 public:
  void write(std::string_view bytes) override { parts.push_back("o:" + std::string(bytes)); }
  void warn(std::string_view line) override { parts.push_back("e:" + std::string(line)); }
  std::vector<std::string> parts;
};

ralu::RunPlan plan_of(std::vector<const char*> arguments) {
  arguments.push_back("x");
  arguments.push_back("y");
  const ralu::ParsedCommandLine parsed = ralu::parse_command_line(arguments);
  EXPECT_EQ(parsed.error, "");
  return ralu::plan_run(parsed.options);
}

// The text with each "@/NAME" made the path of NAME in the folder.
std::string in_folder(const TempDir& dir, const std::string& text) {
  static const std::regex placeholder("@/([a-z0-9]+)");
  std::string result;
  auto rest = text.cbegin();
  for (std::sregex_iterator it(text.cbegin(), text.cend(), placeholder), end; it != end; ++it) {
    result.append(rest, (*it)[0].first);
    result += dir.path((*it)[1].str());
    rest = (*it)[0].second;
  }
  return result.append(rest, text.cend());
}

struct PairCase {
  const char* what;
  std::vector<const char*> options;
  std::array<const char*, 2> names;  // files of the scratch folder, or "-" / "dir"
  int status;
  bool ends_run;
  std::vector<std::string> parts;  // "@/NAME" stands for the path of NAME
};

TEST(RaluPair, OutcomesAndWhatIsSaid) {
  const std::vector<PairCase> cases = {
      {"equal", {}, {"a", "a2"}, 0, false, {}},
      {"equal said under -s",
       {"-s"},
       {"a", "a2"},
       0,
       false,
       {"o:Files @/a and @/a2 are identical\n"}},
      {"brief", {"-q"}, {"a", "b"}, 1, false, {"o:Files @/a and @/b differ\n"}},
      {"labels name the files",
       {"-q", "--label", "L"},
       {"a", "b"},
       1,
       false,
       {"o:Files L and @/b differ\n"}},
      {"a missing file is the pair's trouble",
       {},
       {"a", "none"},
       2,
       false,
       {"e:ralu: @/none: No such file or directory\n"}},
      {"-N reads it as empty",
       {"-N", "-q"},
       {"a", "none"},
       1,
       false,
       {"o:Files @/a and @/none differ\n"}},
      {"beside a directory, the missing name is the trouble",
       {},
       {"dir", "none"},
       2,
       false,
       {"e:ralu: @/none: No such file or directory\n"}},
      {"'-' against a directory ends the run",
       {},
       {"-", "dir"},
       2,
       true,
       {"e:ralu: cannot compare '-' to a directory; try 'ralu --help'\n"}},
      {"ed warns of a lost line end",
       {"-e"},
       {"a", "c"},
       2,
       false,
       {"o:1c\nc\n.\n", "e:ralu: @/c: No newline at end of file\n"}},
  };
  TempDir dir;
  write_file(dir.path("a"), "a\n");
  write_file(dir.path("a2"), "a\n");
  write_file(dir.path("b"), "b\n");
  write_file(dir.path("c"), "c");
  std::filesystem::create_directory(dir.root() / "dir");
  for (const PairCase& c : cases) {
    SCOPED_TRACE(c.what);
    const ralu::RunPlan plan = plan_of(c.options);
    std::array<std::string, 2> names;
    for (std::size_t i = 0; i < 2; ++i) {
      names[i] = std::string(c.names[i]) == "-" ? "-" : dir.path(c.names[i]);
    }
    RecordedOutput out;
    const ralu::Outcome outcome = ralu::compare_operands(plan, ralu::look_at_operands(names), out);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.ends_run, c.ends_run);
    std::vector<std::string> expected;
    for (const std::string& part : c.parts) expected.push_back(in_folder(dir, part));
    EXPECT_EQ(out.parts, expected);
  }
}

// Files larger than are read whole, so that only their ends are compared
// and their middles mapped. Only a NUL byte in an input's first block makes
// the pair binary, as it does GNU diff's: at the start of either file it
// does, however far apart the changes (read whole or a region at a time),
// whichever way the lines are read; deep in the middle it is a byte of an
// unchanged line, which no hunk shows.
TEST(RaluPair, OnlyANulByteInTheFirstBlockMakesLargeFilesBinary) {
  const auto lines = [](const std::map<int, std::string>& changed) {
    std::string text;
    for (int i = 1; i <= 40000; ++i) {
      const auto found = changed.find(i);
      text += found != changed.end() ? found->second : "line " + std::to_string(i) + "\n";
    }
    return text;
  };
  using namespace std::string_literals;
  const std::string nul_line = "line\0 with a NUL byte\n"s;
  const std::map<int, std::string> changes{{5, "five\n"}, {39990, "near the end\n"}};
  TempDir dir;
  write_file(dir.path("old"), lines({}));
  write_file(dir.path("new"), lines(changes));
  write_file(dir.path("oldnul"), lines({{20000, nul_line}}));
  std::map<int, std::string> nul_changes = changes;
  nul_changes[20000] = nul_line;
  write_file(dir.path("newnul"), lines(nul_changes));
  write_file(dir.path("headnul"), lines({{3, nul_line}}));
  std::string open_end = lines({{3, nul_line}, {30000, "thirty thousand\r\n"}});
  open_end.pop_back();
  write_file(dir.path("headopen"), open_end);
  write_file(dir.path("headfar"), lines({{3, nul_line}, {39990, "near the end\n"}}));

  const auto run = [&](std::vector<const char*> options, std::array<const char*, 2> names) {
    const ralu::RunPlan plan = plan_of(std::move(options));
    RecordedOutput out;
    const ralu::Outcome outcome = ralu::compare_operands(
        plan, ralu::look_at_operands({dir.path(names[0]), dir.path(names[1])}), out);
    return std::pair(outcome.status, out.parts);
  };
  const std::vector<PairCase> binary_cases = {
      {"the old input's", {"-u"}, {"headnul", "new"}, 1, false, {}},
      {"the new input's", {}, {"old", "headnul"}, 1, false, {}},
      {"equal first blocks", {"-u"}, {"headnul", "headfar"}, 1, false, {}},
      {"a region at a time", {"--horizon-lines=300"}, {"headnul", "headfar"}, 1, false, {}},
      {"carriage returns stripped", {"--strip-trailing-cr"}, {"old", "headopen"}, 1, false, {}},
      {"keys", {"-w", "-u"}, {"headnul", "new"}, 1, false, {}},
      {"ed, given a last line end", {"-e"}, {"old", "headopen"}, 1, false, {}},
  };
  for (const PairCase& c : binary_cases) {
    const auto [status, parts] = run(c.options, c.names);
    EXPECT_EQ(status, 1) << c.what;
    EXPECT_EQ(parts, (std::vector<std::string>{"o:Binary files " + dir.path(c.names[0]) + " and " +
                                               dir.path(c.names[1]) + " differ\n"}))
        << c.what;
  }
  EXPECT_EQ(run({"-s"}, {"headnul", "headnul"}),
            std::pair(0, std::vector<std::string>{"o:Files " + dir.path("headnul") + " and " +
                                                  dir.path("headnul") + " are identical\n"}));
  // Deep in the middle, the NUL byte is text, read whole or a region at a
  // time, as keys or as the lines are.
  for (const std::vector<const char*>& options :
       std::vector<std::vector<const char*>>{{"-u"}, {"-u", "--horizon-lines=300"}, {"-w", "-c"}}) {
    std::vector<const char*> labelled = options;
    labelled.push_back("--label=A");
    labelled.push_back("--label=B");
    const auto [status, report] = run(labelled, {"oldnul", "newnul"});
    EXPECT_EQ(status, 1) << options.back();
    EXPECT_EQ(report, run(labelled, {"old", "new"}).second) << options.back();
    EXPECT_FALSE(report.empty());
  }
}

// What a walk's byte screen already knows is said without opening the files,
// which here do not even exist.
TEST(RaluPair, ScreenedPairsAreNotRead) {
  const ralu::RunPlan identical = plan_of({"-s"});
  const ralu::RunPlan brief = plan_of({"-q"});
  const std::string heading = "ralu -r";
  RecordedOutput out;
  EXPECT_EQ(
      ralu::compare_files(identical, {{{"p/x", "q/x"}, {}}, ralu::Sameness::same, &heading}, out)
          .status,
      0);
  EXPECT_EQ(
      ralu::compare_files(brief, {{{"p/x", "q/x"}, {}}, ralu::Sameness::different, &heading}, out)
          .status,
      1);
  EXPECT_EQ(out.parts, (std::vector<std::string>{"o:Files p/x and q/x are identical\n",
                                                 "o:Files p/x and q/x differ\n"}));
}

// The screen of a walk trusts the sizes the walk read, and tells equal files,
// files that differ (early or past the first block) and files that changed
// since the walk: grown, with the same bytes added to both, they are not
// called the same.
TEST(RaluPair, TheScreenTellsEqualDifferentAndChangedFiles) {
  test_support::TempDir dir;
  const std::string block(std::size_t{100} * 1024, 'x');
  struct Case {
    const char* name;
    std::string old_bytes, new_bytes;
    std::string appended;  // to both, after the walk read the sizes
    ralu::Sameness expected;
  };
  const Case cases[] = {
      {"equal", block, block, "", ralu::Sameness::same},
      {"early", "y" + block, "z" + block, "", ralu::Sameness::different},
      {"late", block + "y", block + "z", "", ralu::Sameness::different},
      {"sizes", block, block + "z", "", ralu::Sameness::different},
      {"grown", block, block, "more", ralu::Sameness::unknown},
      {"empty", "", "", "", ralu::Sameness::unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::array<std::string, 2> paths{dir.path(std::string(c.name) + ".old"),
                                           dir.path(std::string(c.name) + ".new")};
    test_support::write_file(paths[0], c.old_bytes);
    test_support::write_file(paths[1], c.new_bytes);
    std::array<platform::EntryStatus, 2> statuses;
    for (std::size_t k = 0; k < 2; ++k) {
      std::string failure;
      const auto status = platform::entry_status(paths[k].c_str(), true, failure);
      ASSERT_TRUE(status) << failure;
      statuses[k] = *status;
    }
    test_support::write_file(paths[0], c.old_bytes + c.appended);
    test_support::write_file(paths[1], c.new_bytes + c.appended);
    EXPECT_EQ(ralu::screen_files(paths, statuses), c.expected);
  }
}

TEST(RaluPair, BadPatternsAreMistakesOfTheCommandLine) {
  for (const char* option : {"-F", "-I"}) {
    SCOPED_TRACE(option);
    const std::vector<const char*> arguments = {option, "a\\(", "x", "y"};
    const ralu::ParsedCommandLine parsed = ralu::parse_command_line(arguments);
    ASSERT_EQ(parsed.error, "");
    try {
      static_cast<void>(ralu::plan_run(parsed.options));
      ADD_FAILURE() << "no trouble";
    } catch (const ralu::Trouble& trouble) {
      EXPECT_TRUE(trouble.ends_run);
      EXPECT_TRUE(trouble.message.starts_with(std::string("ralu: ") + option +
                                              ": invalid regular expression 'a\\('"))
          << trouble.message;
      EXPECT_TRUE(trouble.message.ends_with("; try 'ralu --help'\n")) << trouble.message;
    }
  }
}

TEST(RaluPair, HeldOutputKeepsTheOrderOfReportAndWarnings) {
  ralu::HeldPairOutput held;
  held.write("a");
  held.write("b");
  held.warn("w1\n");
  held.write("c");
  held.warn("w2\n");
  RecordedOutput out;
  held.pass_on(out);
  EXPECT_EQ(out.parts, (std::vector<std::string>{"o:ab", "e:w1\n", "o:c", "e:w2\n"}));
}

ralu::TreeEvent event_of(bool files, int n) {
  ralu::TreeEvent event;
  event.kind = files ? ralu::TreeEvent::Kind::files : ralu::TreeEvent::Kind::line;
  event.text = std::to_string(n);
  return event;
}

// Events come out in the order they went in, each pair looked at once,
// whether by a worker or by the report, with a queue much smaller than the
// walk.
TEST(RaluPair, ReportQueueKeepsTheWalksOrder) {
  for (const std::size_t workers : {0, 1, 3}) {
    SCOPED_TRACE(workers);
    std::atomic<int> looked{0};
    ralu::ReportQueue queue(4, 2, [&](const ralu::TreeEvent& event) {
      ++looked;
      ralu::PairResult result;
      result.outcome.status = std::stoi(event.text);
      return result;
    });
    queue.start_workers(workers);
    constexpr int count = 500;
    std::thread walk([&] {
      for (int n = 0; n < count; ++n) ASSERT_TRUE(queue.push(event_of(n % 3 != 0, n)));
      queue.close();
    });
    int next = 0;
    while (const std::optional<ralu::QueuedEvent> queued = queue.pop()) {
      EXPECT_EQ(queued->event.text, std::to_string(next));
      if (queued->event.kind == ralu::TreeEvent::Kind::files) {
        EXPECT_EQ(queued->result.outcome.status, next);
      }
      ++next;
    }
    walk.join();
    EXPECT_EQ(next, count);
    EXPECT_EQ(looked.load(), count - (count + 2) / 3);
  }
}

// Events pushed in batches, of any size and larger than the queue, come out
// in the walk's order too, each pair looked at once.
TEST(RaluPair, ReportQueueTakesBatches) {
  for (const std::size_t batch_size : {1, 5, 32}) {
    SCOPED_TRACE(batch_size);
    std::atomic<int> looked{0};
    ralu::ReportQueue queue(8, 3, [&](const ralu::TreeEvent&) {
      ++looked;
      return ralu::PairResult();
    });
    queue.start_workers(2);
    constexpr int count = 300;
    std::thread walk([&] {
      std::vector<ralu::TreeEvent> batch;
      for (int n = 0; n < count; ++n) {
        batch.push_back(event_of(n % 4 != 0, n));
        if (batch.size() == batch_size) {
          ASSERT_TRUE(queue.push(batch));
        }
        EXPECT_LE(batch.size(), batch_size);
      }
      if (!batch.empty()) {
        ASSERT_TRUE(queue.push(batch));
      }
      queue.close();
    });
    int next = 0;
    while (const std::optional<ralu::QueuedEvent> queued = queue.pop()) {
      EXPECT_EQ(queued->event.text, std::to_string(next));
      ++next;
    }
    walk.join();
    EXPECT_EQ(next, count);
    EXPECT_EQ(looked.load(), count - count / 4);
  }
}

// A report that ends early frees a walk that waits for room.
TEST(RaluPair, StoppedQueueReleasesTheWalk) {
  ralu::ReportQueue queue(2, 1, [](const ralu::TreeEvent&) { return ralu::PairResult(); });
  queue.start_workers(2);
  std::atomic<bool> refused{false};
  std::thread walk([&] {
    for (int n = 0; n < 100 && !refused; ++n) refused = !queue.push(event_of(true, n));
  });
  ASSERT_TRUE(queue.pop().has_value());
  queue.stop();
  walk.join();
  EXPECT_TRUE(refused);
  EXPECT_FALSE(queue.pop().has_value());
}

}  // namespace
