#include "ralu/trees/ordered_work.h"

#include <utility>

namespace ralu {

OrderedWork::OrderedWork(std::size_t count, std::size_t threads, std::size_t ahead,
                         std::function<void(std::size_t)> task)
    : count_(count), ahead_(ahead == 0 ? 1 : ahead), task_(std::move(task)), done_(count) {
  for (std::size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

OrderedWork::~OrderedWork() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void OrderedWork::run_next(std::unique_lock<std::mutex>& lock) {
  const std::size_t item = next_++;
  lock.unlock();
  task_(item);
  lock.lock();
  done_[item] = true;
  changed_.notify_all();
}

void OrderedWork::work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || next_ >= count_ || may_start(taken_); });
    if (stopping_ || next_ >= count_) return;
    run_next(lock);
  }
}

void OrderedWork::take(std::size_t item) {
  std::unique_lock lock(mutex_);
  taken_ = item;
  changed_.notify_all();
  while (!done_[item]) {
    if (may_start(item)) {
      run_next(lock);
    } else {
      changed_.wait(lock);
    }
  }
}

}  // namespace ralu
