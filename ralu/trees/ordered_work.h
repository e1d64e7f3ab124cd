// Work on a list of items by worker threads, a bounded distance ahead of a
// caller that takes the results one by one in order: the caller's output
// keeps the list's order while every core works.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
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
  // Starts the next item, if one may start: true when it ran one.
  bool run_next(std::size_t limit);
  void work();

  const std::size_t count_;
  const std::size_t ahead_;
  const std::function<void(std::size_t)> task_;
  std::unique_ptr<std::atomic<bool>[]> done_;
  std::atomic<std::size_t> next_{0};   // the next item to start
  std::atomic<std::size_t> taken_{0};  // the item the caller takes now
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> workers_;
};

}  // namespace ralu
