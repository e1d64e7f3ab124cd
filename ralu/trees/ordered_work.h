// Work on a list of items by worker threads, a bounded distance ahead of a
// caller that takes the results one by one in order: the caller's output
// keeps the list's order while every core works.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ralu {

class OrderedWork {
 public:
  // Runs task(i) once for each i below `count`, on `threads` workers, never
  // starting an item more than `ahead` past the one the caller takes.
  OrderedWork(std::size_t count, std::size_t threads, std::size_t ahead,
              std::function<void(std::size_t)> task);
  // Items not yet started are left undone.
  ~OrderedWork();
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Returns once task(item) has run. While it waits the caller runs items
  // itself. Items are taken in increasing order.
  void take(std::size_t item);

 private:
  // Whether the next item may start, with the caller at `taken`.
  bool may_start(std::size_t taken) const { return next_ < count_ && next_ < taken + ahead_; }
  // Runs the next item, the lock released meanwhile.
  void run_next(std::unique_lock<std::mutex>& lock);
  void work();

  const std::size_t count_;
  const std::size_t ahead_;
  const std::function<void(std::size_t)> task_;
  std::mutex mutex_;  // guards what follows
  std::condition_variable changed_;
  std::vector<bool> done_;
  std::size_t next_ = 0;   // the next item to start
  std::size_t taken_ = 0;  // the item the caller takes now
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace ralu
