#include "ralu/trees/tree_report.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#include "platform/large_memory.h"
#include "platform/platform.h"
#include "ralu/trees/pair_screen.h"
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

// A walk with fewer pairs than this is not worth starting workers for.
constexpr std::size_t pairs_worth_threads = 16;

std::size_t worker_count() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// Reports what the walk finds, in its order.
class TreeReport {
 public:
  TreeReport(const RunPlan& plan, const std::string& heading) : plan_(plan), heading_(heading) {}

  const Outcome& outcome() const { return outcome_; }

  // Screens the pair, and compares it when it is small: on a worker, or on
  // the reporting thread when no worker got to it first.
  PairResult look_at(const TreeEvent& event) const {
    PairResult result;
    const bool absent = event.absent[0] || event.absent[1];
    const bool small =
        event.sizes[0] <= compared_ahead_up_to && event.sizes[1] <= compared_ahead_up_to;
    if (!small) {
      result.sameness = absent ? Sameness::unknown : screen_files(event.paths, event.sizes);
      return result;
    }
    // A small pair is compared here whatever its bytes, and the comparison
    // reads each file once and finds equal bytes itself: only the sizes are
    // worth looking at first.
    if (!absent && event.sizes[0] != event.sizes[1]) result.sameness = Sameness::different;
    HeldPairOutput held;
    result.outcome = compare_files(plan_, pair_of(event, result.sameness), held);
    result.output = std::move(held);
    return result;
  }

  // Reports one event; false once the run is over.
  bool report(const QueuedEvent& queued) {
    const TreeEvent& event = queued.event;
    switch (event.kind) {
      case TreeEvent::Kind::line:
        out_.write(event.text);
        break;
      case TreeEvent::Kind::trouble:
        out_.warn(event.text);
        break;
      case TreeEvent::Kind::files:
        add(report_pair(event, queued.result));
        break;
    }
    if (event.kind != TreeEvent::Kind::files) add({event.status, false});
    if (++reported_ % events_between_checks == 0) out_.finish();
    return !outcome_.ends_run;
  }

  void finish() { out_.finish(); }

 private:
  FilesInTrees pair_of(const TreeEvent& event, Sameness sameness) const {
    return {{event.paths, event.absent}, sameness, &heading_};
  }

  // Passes on what was found ahead, or compares the pair now.
  Outcome report_pair(const TreeEvent& event, const PairResult& result) {
    if (!result.output) return compare_files(plan_, pair_of(event, result.sameness), out_);
    result.output->pass_on(out_);
    return result.outcome;
  }

  void add(const Outcome& outcome) {
    outcome_.status = std::max(outcome_.status, outcome.status);
    outcome_.ends_run = outcome_.ends_run || outcome.ends_run;
  }

  const RunPlan& plan_;
  const std::string& heading_;
  StandardPairOutput out_;
  Outcome outcome_;
  std::size_t reported_ = 0;
};

// The walk's events, into the queue.
class QueueSink : public TreeSink {
 public:
  explicit QueueSink(ReportQueue& queue) : queue_(queue) {}

  bool take(TreeEvent event) override {
    const bool files = event.kind == TreeEvent::Kind::files;
    if (!queue_.push(std::move(event))) return false;
    if (files && ++pairs_ == pairs_worth_threads) queue_.start_workers(worker_count());
    return true;
  }

 private:
  ReportQueue& queue_;
  std::size_t pairs_ = 0;
};

// The walk's events, reported as they come: the walk on the reporting
// thread, when no thread could be started for it.
class DirectSink : public TreeSink {
 public:
  explicit DirectSink(TreeReport& report) : report_(report) {}

  bool take(TreeEvent event) override {
    QueuedEvent queued{std::move(event), {}};
    if (queued.event.kind == TreeEvent::Kind::files) queued.result = report_.look_at(queued.event);
    return report_.report(queued);
  }

 private:
  TreeReport& report_;
};

// The walker's thread, stopped and joined however the report ends.
class WalkerThread {
 public:
  WalkerThread(ReportQueue& queue, std::thread thread)
      : queue_(queue), thread_(std::move(thread)) {}
  ~WalkerThread() {
    queue_.stop();
    thread_.join();
  }
  WalkerThread(const WalkerThread&) = delete;
  WalkerThread& operator=(const WalkerThread&) = delete;

 private:
  ReportQueue& queue_;
  std::thread thread_;
};

// The walk runs on a thread of its own, ahead of the report, so that listing
// and looking at names overlaps with comparing files.
void walk_ahead(TreeReport& report, const TreeWalk& walk, const std::array<std::string, 2>& roots,
                std::array<bool, 2> absent) {
  ReportQueue queue(events_waiting, pairs_ahead,
                    [&](const TreeEvent& event) { return report.look_at(event); });
  std::optional<std::thread> thread = start_thread([&] {
    QueueSink sink(queue);
    walk_trees(walk, roots, absent, sink);
    queue.close();
  });
  if (!thread) {
    DirectSink sink(report);
    return walk_trees(walk, roots, absent, sink);
  }
  const WalkerThread walker(queue, std::move(*thread));
  while (const std::optional<QueuedEvent> queued = queue.pop()) {
    if (!report.report(*queued)) break;
  }
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
  TreeReport report(plan, heading);
  walk_ahead(report, walk, roots, absent);
  report.finish();
  return report.outcome();
}

}  // namespace ralu
