// The walk's events on their way to the report, in the walk's order, with
// every pair of files looked at ahead of its turn by worker threads that live
// as long as the queue: the report keeps the walk's order while every core
// works, and what waits in memory is bounded.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ralu/pair/comparison.h"
#include "ralu/pair/pair_output.h"
#include "ralu/trees/tree_walk.h"

namespace ralu {

// What was found of a pair of files ahead of its turn.
struct PairResult {
  // The files' statuses: the walk's, or read in looking at the pair when
  // the walk left them unread.
  std::array<platform::EntryStatus, 2> statuses{};
  // Read so late, the pair may prove not to be two files to compare (one
  // file named twice, an entry that could not be read, or changed since its
  // folder was listed): what is reported in its place, which may be nothing.
  bool replaced = false;
  std::vector<TreeEvent> instead;
  Sameness sameness = Sameness::unknown;
  std::optional<HeldPairOutput> output;  // when the pair was compared too
  Outcome outcome;                       // then: what the comparison came to
};

struct QueuedEvent {
  TreeEvent event;
  PairResult result;  // for a pair of files
};

// A thread running `body`, or nothing when the system cannot start one: the
// caller then does without.
std::optional<std::thread> start_thread(std::function<void()> body);

class ReportQueue {
 public:
  using LookAt = std::function<PairResult(const TreeEvent&)>;

  // Holds at most `capacity` events; looks at no pair more than `ahead`
  // pairs past the one being reported.
  ReportQueue(std::size_t capacity, std::size_t ahead, LookAt look_at);
  // Stops, and waits for the workers.
  ~ReportQueue();
  ReportQueue(const ReportQueue&) = delete;
  ReportQueue& operator=(const ReportQueue&) = delete;

  // Starts up to `count` workers, as many as the system lets start.
  void start_workers(std::size_t count);

  // The walk's side. Waits while the queue is full; false once the report
  // has stopped. A batch goes in under one lock, as the walk finds events
  // far faster than they are looked at.
  bool push(TreeEvent event);
  bool push(std::vector<TreeEvent>& batch);  // emptied
  // No more events will come.
  void close();

  // The report's side: the next event, a pair with what was found of it
  // (looked at here when no worker has), or nothing once the walk is over
  // and every event taken.
  std::optional<QueuedEvent> pop();
  // The report is over early: the walk's pushes fail, the workers end.
  void stop();

 private:
  enum class State : unsigned char { waiting, running, done };
  struct Slot {
    QueuedEvent queued;
    State state = State::waiting;
    std::size_t pair = 0;  // the pair's number in the walk, for a pair of files
  };

  Slot& slot(std::size_t index) { return slots_[index - front_]; }
  std::size_t end() const { return front_ + slots_.size(); }
  // Moves next_ to the next pair still waiting.
  void skip_to_waiting_pair();
  bool may_start() const;
  void wake_workers();
  void wake_report();
  // Looks at the pair of slot `index`, the lock released meanwhile.
  void look_at(std::unique_lock<std::mutex>& lock, std::size_t index);
  void work();

  const std::size_t capacity_;
  const std::size_t ahead_;
  const LookAt look_at_;
  std::mutex mutex_;  // guards what follows
  // Each side waits on a condition of its own and is woken only when it
  // waits and what it waits for may have come: on two cores a wake-up that
  // finds nothing to do costs as much as a small pair's comparison.
  std::condition_variable room_;      // the walk: room for events
  std::condition_variable work_;      // the workers: a pair they may look at
  std::condition_variable reported_;  // the report: the front event ready
  bool walk_waits_ = false;
  std::size_t workers_waiting_ = 0;
  bool report_waits_ = false;
  // Slots [front_, end()) of the walk's events; a slot stays where it is
  // until it is popped, so a worker may read it unlocked while it runs.
  std::deque<Slot> slots_;
  std::size_t front_ = 0;
  std::size_t next_ = 0;          // the slot of the next pair to look at
  std::size_t pairs_pushed_ = 0;  // pairs of files in the walk so far
  std::size_t pairs_taken_ = 0;   // pairs passed to the report, or being
  bool closed_ = false;
  bool stopped_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace ralu
