#include "ralu/trees/report_queue.h"

#include <system_error>
#include <utility>

#include "ralu/trouble.h"

namespace ralu {

std::optional<std::thread> start_thread(std::function<void()> body) {
  try {
    return std::thread([body = std::move(body)] { memory_exhaustion_ends_process(body); });
  } catch (const std::system_error&) {
    // No memory for its stack, or too many threads: the work runs elsewhere.
    return std::nullopt;
  }
}

ReportQueue::ReportQueue(std::size_t capacity, std::size_t ahead, LookAt look_at)
    : capacity_(capacity == 0 ? 1 : capacity),
      ahead_(ahead == 0 ? 1 : ahead),
      look_at_(std::move(look_at)) {}

ReportQueue::~ReportQueue() {
  stop();
  for (std::thread& worker : workers_) worker.join();
}

void ReportQueue::start_workers(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    std::optional<std::thread> worker = start_thread([this] { work(); });
    if (!worker) return;
    const std::lock_guard lock(mutex_);
    workers_.push_back(std::move(*worker));
  }
}

bool ReportQueue::push(TreeEvent event) {
  std::vector<TreeEvent> batch;
  batch.push_back(std::move(event));
  return push(batch);
}

bool ReportQueue::push(std::vector<TreeEvent>& batch) {
  std::unique_lock lock(mutex_);
  if (!stopped_ && slots_.size() >= capacity_) {
    walk_waits_ = true;
    room_.wait(lock, [&] { return stopped_ || slots_.size() < capacity_; });
    walk_waits_ = false;
  }
  if (stopped_) return false;
  for (TreeEvent& event : batch) {
    const bool files = event.kind == TreeEvent::Kind::files;
    slots_.push_back({{std::move(event), {}}, State::waiting, files ? pairs_pushed_++ : 0});
  }
  batch.clear();
  skip_to_waiting_pair();
  wake_workers();
  wake_report();
  return true;
}

void ReportQueue::wake_workers() {
  if (workers_waiting_ > 0 && may_start()) work_.notify_all();
}

void ReportQueue::wake_report() {
  if (report_waits_) reported_.notify_one();
}

void ReportQueue::close() {
  const std::lock_guard lock(mutex_);
  closed_ = true;
  work_.notify_all();
  reported_.notify_all();
}

void ReportQueue::stop() {
  const std::lock_guard lock(mutex_);
  stopped_ = true;
  room_.notify_all();
  work_.notify_all();
  reported_.notify_all();
}

void ReportQueue::skip_to_waiting_pair() {
  while (next_ < end() && (slot(next_).queued.event.kind != TreeEvent::Kind::files ||
                           slot(next_).state != State::waiting)) {
    ++next_;
  }
}

bool ReportQueue::may_start() const {
  if (next_ >= front_ + slots_.size()) return false;
  return slots_[next_ - front_].pair < pairs_taken_ + ahead_;
}

void ReportQueue::look_at(std::unique_lock<std::mutex>& lock, std::size_t index) {
  Slot& taken = slot(index);
  taken.state = State::running;
  skip_to_waiting_pair();
  lock.unlock();
  PairResult result = look_at_(taken.queued.event);
  lock.lock();
  taken.queued.result = std::move(result);
  taken.state = State::done;
  // Only the front pair is waited for.
  if (index == front_) wake_report();
}

void ReportQueue::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const auto walk_done = [&] { return closed_ && next_ >= end(); };
    const auto ready = [&] { return stopped_ || walk_done() || may_start(); };
    if (!ready()) {
      ++workers_waiting_;
      work_.wait(lock, ready);
      --workers_waiting_;
    }
    if (stopped_ || !may_start()) return;
    look_at(lock, next_);
  }
}

std::optional<QueuedEvent> ReportQueue::pop() {
  std::unique_lock lock(mutex_);
  const auto wait_for = [&](auto condition) {
    if (condition()) return;
    report_waits_ = true;
    reported_.wait(lock, condition);
    report_waits_ = false;
  };
  wait_for([&] { return stopped_ || closed_ || !slots_.empty(); });
  if (stopped_ || slots_.empty()) return std::nullopt;
  Slot& front = slots_.front();
  if (front.queued.event.kind == TreeEvent::Kind::files) {
    pairs_taken_ = front.pair;
    wake_workers();  // they may go on further
    // While a worker compares the front pair, the report compares the next
    // one waiting rather than sleep: on two cores a sleep and a wake-up for
    // every pair cost more than the threads gain on a tree of small files.
    while (front.state != State::done) {
      if (front.state == State::waiting) {
        look_at(lock, front_);
      } else if (may_start()) {
        look_at(lock, next_);
      } else {
        wait_for([&] { return front.state == State::done || may_start(); });
      }
    }
  }
  QueuedEvent queued = std::move(front.queued);
  slots_.pop_front();
  ++front_;
  if (next_ < front_) next_ = front_;
  // The walk is woken once half the room is free, not for every event.
  if (walk_waits_ && slots_.size() <= capacity_ / 2) room_.notify_one();
  return queued;
}

}  // namespace ralu
