#include "ralu/trees/tree_report.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <span>
#include <thread>
#include <utility>

#include "common/common.h"
#include "platform/large_memory.h"
#include "platform/operands.h"
#include "platform/platform.h"
#include "ralu/inputs/inputs.h"
#include "ralu/trees/ordered_work.h"
#include "ralu/trees/pair_screen.h"
#include "ralu/trees/shell_words.h"
#include "ralu/trees/tree_walk.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// The walk hands its events over this many at a time, and no more than
// `batches_waiting` batches wait to be reported: what a huge tree holds in
// memory is bounded by them.
constexpr std::size_t batch_events = 512;
constexpr std::size_t batches_waiting = 16;

// What heads each report: the command with the options as given.
std::string heading_of(const Options& options) {
  std::string heading = common::cmd_name;
  for (const std::string& word : options.switches) heading += " " + shell_quoted(word);
  return heading;
}

// Pairs of files no larger than this each are compared ahead of their turn,
// whole in memory, by the worker threads; larger ones in their turn, read as
// far as needed.
constexpr std::uint64_t compared_ahead_up_to = std::uint64_t{256} * 1024;

// How far ahead of the report the workers may run: what they hold for the
// report is bounded by it.
constexpr std::size_t pairs_ahead = 64;

// Fewer pairs than this in a batch are not worth starting threads for.
constexpr std::size_t pairs_worth_threads = 16;

std::size_t worker_count() {
  return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// What a worker found of one pair of files.
struct PairResult {
  Sameness sameness = Sameness::unknown;
  std::optional<HeldPairOutput> output;  // when it compared the pair too
  int status = exit_same;
  std::optional<PairTrouble> trouble;  // trouble that ends the run, said in its turn
};

using Batch = std::vector<TreeEvent>;

// Batches of events on their way from the thread that walks to the one that
// reports.
class BatchQueue {
 public:
  // Waits while the queue is full.
  void push(Batch batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return batches_.size() < batches_waiting; });
    batches_.push_back(std::move(batch));
    changed_.notify_all();
  }

  // The next batch, or nothing once the walk is over and every batch taken.
  std::optional<Batch> pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !batches_.empty() || closed_; });
    if (batches_.empty()) return std::nullopt;
    Batch batch = std::move(batches_.front());
    batches_.pop_front();
    changed_.notify_all();
    return batch;
  }

  void close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> batches_;
  bool closed_ = false;
};

// Gathers the walk's events into batches for the queue.
class BatchingSink : public TreeSink {
 public:
  explicit BatchingSink(BatchQueue& queue) : queue_(queue) {}

  void take(TreeEvent event) override {
    batch_.push_back(std::move(event));
    if (batch_.size() == batch_events) queue_.push(std::exchange(batch_, Batch()));
  }

  void finish() {
    if (!batch_.empty()) queue_.push(std::move(batch_));
    queue_.close();
  }

 private:
  BatchQueue& queue_;
  Batch batch_;
};

// Reports what the walk finds, in its order, a batch at a time.
class TreeReport {
 public:
  TreeReport(const Options& options, const Patterns& patterns)
      : options_(options), patterns_(patterns), heading_(heading_of(options)) {}

  int status() const { return status_; }

  void report_batch(const Batch& batch) {
    std::vector<std::size_t> pairs;  // the batch's pairs of files
    for (std::size_t i = 0; i < batch.size(); ++i) {
      if (batch[i].kind == TreeEvent::Kind::files) pairs.push_back(i);
    }
    std::vector<PairResult> results(pairs.size());
    OrderedWork work(pairs.size(), pairs.size() < pairs_worth_threads ? 0 : worker_count(),
                     pairs_ahead, [&](std::size_t k) { results[k] = look_at(batch[pairs[k]]); });
    StandardPairOutput out;
    std::size_t next_pair = 0;
    for (const TreeEvent& event : batch) {
      switch (event.kind) {
        case TreeEvent::Kind::line:
          out.write(event.text);
          break;
        case TreeEvent::Kind::trouble:
          out.warn(std::string(common::cmd_name) + ": " + event.text + "\n");
          break;
        case TreeEvent::Kind::files: {
          const std::size_t k = next_pair++;
          work.take(k);
          status_ = std::max(status_, report_pair(event, results[k], out));
          results[k] = PairResult();
          continue;
        }
      }
      status_ = std::max(status_, event.status);
    }
    out.finish();
  }

 private:
  // On a worker: screens the pair, and compares it when it is small.
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
    const FailuresThrown thrown;
    HeldPairOutput held;
    try {
      result.status = compare_files(event, result.sameness, held);
    } catch (const PairTrouble& trouble) {
      result.trouble = trouble;
    }
    result.output = std::move(held);
    return result;
  }

  // In its turn: passes on what a worker found, or compares the pair now.
  int report_pair(const TreeEvent& event, const PairResult& result, StandardPairOutput& out) const {
    if (!result.output) return compare_files(event, result.sameness, out);
    result.output->pass_on(out);
    if (result.trouble) say_pair_trouble(*result.trouble);
    return result.status;
  }

  // Says whether the files differ, and how, as the options ask.
  int compare_files(const TreeEvent& event, Sameness sameness, PairOutput& out) const {
    const std::string& a = shown_name(options_, 0, event.paths[0]);
    const std::string& b = shown_name(options_, 1, event.paths[1]);
    if (sameness == Sameness::same && !writes_equal_inputs(options_)) {
      if (options_.report_identical) out.write(pair_line("Files", a, b, "are identical"));
      return exit_same;
    }
    if (sameness == Sameness::different && options_.brief && !ignores_some_changes(options_)) {
      out.write(pair_line("Files", a, b, "differ"));
      return exit_different;
    }
    InputRequest request = input_request(options_);
    request.names_are_files = true;
    request.absent = event.absent;
    try {
      const std::vector<std::string> names{event.paths[0], event.paths[1]};
      return compare_inputs(options_, read_inputs(names, request), patterns_, out, &heading_);
    } catch (const PairTrouble& trouble) {
      if (trouble.ends_run) throw;
      out.warn(trouble.message);
      return exit_trouble;
    }
  }

  const Options& options_;
  const Patterns& patterns_;
  const std::string heading_;
  int status_ = exit_same;
};

}  // namespace

std::vector<std::string> excluded_names(const TreeOptions& tree) {
  std::vector<std::string> patterns = tree.excludes;
  for (const std::string& file : tree.exclude_files) {
    std::FILE* const stream = platform::open_for_reading(file.c_str());
    if (stream == nullptr) fail(file.c_str(), std::strerror(errno));
    std::string text;
    char block[4096];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, stream)) > 0) text.append(block, count);
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed) fail(file.c_str(), "read error");
    // A line is a pattern, without the white space that ends it (a carriage
    // return included); blank lines are none.
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::size_t last = end;
      while (last > start && std::strchr(" \t\r\v\f", text[last - 1]) != nullptr) --last;
      if (last > start) patterns.push_back(text.substr(start, last - start));
      start = end + 1;
    }
  }
  return patterns;
}

std::optional<std::array<bool, 2>> directory_roots(const std::vector<std::string>& names,
                                                   const Options& options) {
  std::array<platform::PathKind, 2> kinds{};
  for (std::size_t i = 0; i < 2; ++i) {
    if (names[i] == "-") return std::nullopt;
    kinds[i] = platform::path_kind(names[i].c_str());
  }
  using platform::PathKind;
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::directory) {
    return std::array<bool, 2>{false, false};
  }
  const bool first_may_be_absent = options.new_file || options.tree.unidirectional_new_file;
  if (kinds[0] == PathKind::absent && kinds[1] == PathKind::directory && first_may_be_absent) {
    return std::array<bool, 2>{true, false};
  }
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::absent && options.new_file) {
    return std::array<bool, 2>{false, true};
  }
  return std::nullopt;
}

int compare_trees(const Options& options, const Patterns& patterns,
                  const std::vector<std::string>& excluded, const std::vector<std::string>& roots,
                  std::array<bool, 2> absent) {
  if (options.form == OutputForm::formatted) {
    common::errmsg("%s: -D option not supported with directories\n", common::cmd_name);
    std::exit(exit_trouble);
  }
  platform::keep_freed_memory();
  prepare_comparisons_on_threads();
  const TreeWalk walk{options.tree, options.new_file, options.report_identical, excluded,
                      options.labels};
  // The walk runs on a thread of its own, ahead of the report, so that
  // listing and looking at names overlaps with comparing files.
  BatchQueue queue;
  std::thread walker([&] {
    BatchingSink sink(queue);
    walk_trees(walk, {roots[0], roots[1]}, absent, sink);
    sink.finish();
  });
  TreeReport report(options, patterns);
  while (const std::optional<Batch> batch = queue.pop()) report.report_batch(*batch);
  walker.join();
  const int status = report.status();
  common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
  return status;
}

}  // namespace ralu
