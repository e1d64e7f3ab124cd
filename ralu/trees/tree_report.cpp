#include "ralu/trees/tree_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/large_memory.h"
#include "platform/platform.h"
#include "ralu/trees/pair_screen.h"
#include "ralu/trees/present_pair.h"
#include "ralu/trees/report_queue.h"
#include "ralu/trees/shell_words.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// At most this many of the walk's events wait to be reported: what a huge
// tree holds in memory is bounded by it.
constexpr std::size_t events_waiting = 8192;

// Standard output is checked this often, in events reported, so that a
// report that cannot be written stops the walk soon.
constexpr std::size_t events_between_checks = 512;

// Pairs of files no larger than this each are compared ahead of their turn,
// whole in memory, by the worker threads; larger ones in their turn, read as
// far as needed.
constexpr std::uint64_t compared_ahead_up_to = read_whole_up_to;

// How far ahead of the report the workers may run: what they hold for the
// report is bounded by it.
constexpr std::size_t pairs_ahead = 64;

// A walk with fewer pairs than this is not worth starting threads for.
constexpr std::size_t pairs_worth_threads = 16;

// The walk hands its events to the report this many at a time.
constexpr std::size_t events_a_batch = 32;

// The report's own thread compares pairs too while it waits, so one core
// is left for it.
std::size_t worker_count() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, 9) - 1;
}

// Reports what the walk finds, in its order.
class TreeReport {
 public:
  TreeReport(const RunPlan& plan, const TreeWalk& walk, const std::string& heading)
      : plan_(plan), walk_(walk), heading_(heading), out_(plan.tally.get()) {}

  const Outcome& outcome() const { return outcome_; }

  // Reads the statuses the walk left unread, screens the pair, and compares
  // it when it is small: on a worker, or on the reporting thread when no
  // worker got to it first.
  PairResult look_at(const TreeEvent& event) const {
    PairResult result;
    result.statuses = event.statuses;
    if (!event.statuses_known && !read_statuses(event, result)) return result;
    const std::array<platform::EntryStatus, 2>& statuses = result.statuses;
    const bool absent = event.absent[0] || event.absent[1];
    const bool small =
        statuses[0].size <= compared_ahead_up_to && statuses[1].size <= compared_ahead_up_to;
    // Under -q the screen's verdict is all there is to say, and the screen
    // reads only as far as the first difference.
    const bool verdict_will_do = plan_.brief && !plan_.ignores_some_changes;
    if (!small || verdict_will_do) {
      result.sameness = absent ? Sameness::unknown : screen_files(event.paths, statuses);
      return result;
    }
    // A small pair of one size is most often one of the many equal files of
    // a tree: the screen tells those from a buffer it reuses, where the
    // comparison would read both whole into memory of their own first.
    // Equal-sized pairs that differ are rare, and read twice.
    if (!absent && statuses[0].size != statuses[1].size) {
      result.sameness = Sameness::different;
    } else if (!absent && !plan_.writes_equal_inputs) {
      result.sameness = screen_files(event.paths, statuses);
      if (result.sameness == Sameness::same) return result;
    }
    HeldPairOutput held;
    result.outcome = compare_files(plan_, pair_of(event, result), held);
    result.output = std::move(held);
    return result;
  }

  // Reports one event; false once the run is over.
  bool report(const QueuedEvent& queued) {
    const TreeEvent& event = queued.event;
    if (event.kind != TreeEvent::Kind::files) {
      report_line(event);
    } else if (queued.result.replaced) {
      for (const TreeEvent& line : queued.result.instead) report_line(line);
    } else {
      add(report_pair(event, queued.result));
    }
    if (++reported_ % events_between_checks == 0) out_.finish();
    return !outcome_.ends_run;
  }

  void finish() { out_.finish(); }

 private:
  // Reads what the walk left unread of a pair listed as two regular files;
  // false when that leaves nothing to compare, what to report instead being
  // in `result`.
  bool read_statuses(const TreeEvent& event, PairResult& result) const {
    ListedFilesRead found = read_listed_files(event.paths, walk_);
    if (found.files) {
      result.statuses = *found.files;
      return true;
    }
    result.replaced = true;
    result.instead = std::move(found.instead);
    return false;
  }

  void report_line(const TreeEvent& event) {
    if (event.kind == TreeEvent::Kind::trouble) {
      out_.warn(event.text);
    } else {
      out_.write(event.text);
    }
    add({event.status, false});
  }

  FilesInTrees pair_of(const TreeEvent& event, const PairResult& result) const {
    PairFiles files{event.paths, event.absent, {}};
    for (std::size_t k = 0; k < 2; ++k) {
      if (!event.absent[k]) files.known[k] = result.statuses[k];
    }
    return {std::move(files), result.sameness, &heading_};
  }

  // Passes on what was found ahead, or compares the pair now.
  Outcome report_pair(const TreeEvent& event, const PairResult& result) {
    if (!result.output) return compare_files(plan_, pair_of(event, result), out_);
    result.output->pass_on(out_);
    return result.outcome;
  }

  void add(const Outcome& outcome) {
    outcome_.status = std::max(outcome_.status, outcome.status);
    outcome_.ends_run = outcome_.ends_run || outcome.ends_run;
  }

  const RunPlan& plan_;
  const TreeWalk& walk_;
  const std::string& heading_;
  StandardPairOutput out_;
  Outcome outcome_;
  std::size_t reported_ = 0;
};

// The walk's events, reported on the walk's own thread as they come until
// the tree proves large enough to be worth threads: most trees compared are
// small, and starting threads costs more than comparing a few pairs. From
// then on they go into the queue in batches, a thread of its own reports
// from it, and workers look at the pairs ahead. When no thread can be
// started, the walk goes on reporting by itself.
class WalkSink : public TreeSink {
 public:
  explicit WalkSink(TreeReport& report)
      : report_(report), queue_(events_waiting, pairs_ahead, [&report](const TreeEvent& event) {
          return report.look_at(event);
        }) {}
  ~WalkSink() override {
    if (!reporter_) return;
    queue_.stop();
    reporter_->join();
  }
  WalkSink(const WalkSink&) = delete;
  WalkSink& operator=(const WalkSink&) = delete;

  bool take(TreeEvent event) override {
    if (!reporter_) {
      if (event.kind == TreeEvent::Kind::files && ++pairs_ == pairs_worth_threads) start();
      if (!reporter_) return report_directly(std::move(event));
    }
    batch_.push_back(std::move(event));
    return batch_.size() < events_a_batch || queue_.push(batch_);
  }

  // The walk is over: waits until the report has taken every event.
  void finish() {
    if (!reporter_) return;
    if (!batch_.empty()) queue_.push(batch_);
    queue_.close();
    reporter_->join();
    reporter_.reset();
  }

 private:
  bool report_directly(TreeEvent event) {
    QueuedEvent queued{std::move(event), {}};
    if (queued.event.kind == TreeEvent::Kind::files) queued.result = report_.look_at(queued.event);
    return report_.report(queued);
  }

  void start() {
    reporter_ = start_thread([this] {
      while (const std::optional<QueuedEvent> queued = queue_.pop()) {
        if (!report_.report(*queued)) break;
      }
      queue_.stop();  // the walk, if it goes on, stops at its next batch
    });
    if (reporter_) queue_.start_workers(worker_count());
  }

  TreeReport& report_;
  ReportQueue queue_;
  std::optional<std::thread> reporter_;
  std::vector<TreeEvent> batch_;
  std::size_t pairs_ = 0;
};

void walk_and_report(TreeReport& report, const TreeWalk& walk,
                     const std::array<std::string, 2>& roots, std::array<bool, 2> absent) {
  WalkSink sink(report);
  walk_trees(walk, roots, absent, sink);
  sink.finish();
}

}  // namespace

std::vector<ExcludeOption> excluded_names(const TreeOptions& tree) {
  std::vector<ExcludeOption> patterns = tree.excludes;
  for (const auto& [file, fold_case] : tree.exclude_files) {
    // "-" is standard input, read to its end (a second "-X -" finds it spent).
    const bool standard_input = file == "-";
    std::FILE* const stream = standard_input ? stdin : platform::open_for_reading(file.c_str());
    if (stream == nullptr) fail_run(file, std::strerror(errno));
    std::string text;
    char block[4096];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, stream)) > 0) text.append(block, count);
    const bool failed = std::ferror(stream) != 0;
    if (!standard_input) std::fclose(stream);
    if (failed) fail_run(file, "read error");
    // A line is a pattern, without the white space that ends it (a carriage
    // return included); blank lines are none.
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::size_t last = end;
      while (last > start && std::strchr(" \t\r\v\f", text[last - 1]) != nullptr) --last;
      if (last > start) patterns.push_back({text.substr(start, last - start), fold_case});
      start = end + 1;
    }
  }
  return patterns;
}

std::string heading_of(std::span<const std::string> switches) {
  std::string heading(program_name);
  for (const std::string& word : switches) heading += " " + shell_quoted(word);
  return heading;
}

Outcome compare_trees(const RunPlan& plan, const TreeWalk& walk, const std::string& heading,
                      const std::array<std::string, 2>& roots, std::array<bool, 2> absent) {
  if (plan.report.form == OutputForm::formatted) {
    throw Trouble{std::string(program_name) + ": -D option not supported with directories\n", true};
  }
  platform::keep_freed_memory();
  TreeReport report(plan, walk, heading);
  walk_and_report(report, walk, roots, absent);
  report.finish();
  return report.outcome();
}

}  // namespace ralu
