// Most files of two versions of a tree are equal, and telling so needs no
// line comparison: sizes first, then the bytes side by side, as kevo
// compares. Worker threads screen the pairs of files ahead of the thread
// that reports them, which keeps the report in the walk's order.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "ralu/trees/tree_walk.h"

namespace ralu {

enum class Sameness : std::uint8_t {
  pending,    // not screened yet
  same,       // the same bytes
  different,  // bytes differ (the line comparison may still find them alike)
  unknown,    // not told here: an absent side, or trouble the comparison will tell
};

// Screens two regular files of the sizes given; writes nothing.
Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<std::uint64_t, 2>& sizes);

// Screens the file pairs among `events` on threads of their own, from the
// first onwards.
class PairScreen {
 public:
  explicit PairScreen(std::span<const TreeEvent> events);
  ~PairScreen();
  PairScreen(const PairScreen&) = delete;
  PairScreen& operator=(const PairScreen&) = delete;

  // The verdict on events[index], a pair of files. While it is pending the
  // caller screens pairs not yet taken, then waits.
  Sameness verdict(std::size_t index);

 private:
  // Screens the next pair no thread has taken; false when none is left.
  bool screen_next();
  void work();

  std::span<const TreeEvent> events_;
  std::vector<std::size_t> jobs_;  // the indices of the pairs of files
  std::unique_ptr<std::atomic<Sameness>[]> verdicts_;
  std::atomic<std::size_t> next_job_{0};
  std::vector<std::thread> workers_;
};

}  // namespace ralu
