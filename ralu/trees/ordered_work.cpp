#include "ralu/trees/ordered_work.h"

#include <utility>

namespace ralu {

OrderedWork::OrderedWork(std::size_t count, std::size_t threads, std::size_t ahead,
                         std::function<void(std::size_t)> task)
    : count_(count),
      ahead_(ahead == 0 ? 1 : ahead),
      task_(std::move(task)),
      done_(std::make_unique<std::atomic<bool>[]>(count)) {
  for (std::size_t i = 0; i < count; ++i) done_[i].store(false, std::memory_order_relaxed);
  for (std::size_t i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

OrderedWork::~OrderedWork() {
  stopping_.store(true);
  // Workers waiting for the caller to move on wake to find the work stopped.
  taken_.fetch_add(1);
  taken_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool OrderedWork::run_next(std::size_t limit) {
  std::size_t item = next_.load();
  while (item < limit && item < count_) {
    if (next_.compare_exchange_weak(item, item + 1)) {
      task_(item);
      done_[item].store(true, std::memory_order_release);
      done_[item].notify_all();
      return true;
    }
  }
  return false;
}

void OrderedWork::work() {
  while (!stopping_.load()) {
    const std::size_t taken = taken_.load();
    if (next_.load() >= count_) return;
    if (!run_next(taken + ahead_)) taken_.wait(taken);
  }
}

void OrderedWork::take(std::size_t item) {
  taken_.store(item);
  taken_.notify_all();
  while (!done_[item].load(std::memory_order_acquire)) {
    if (!run_next(item + ahead_)) done_[item].wait(false, std::memory_order_acquire);
  }
}

}  // namespace ralu
