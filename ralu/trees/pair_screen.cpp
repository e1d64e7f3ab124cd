#include "ralu/trees/pair_screen.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/input_file.h"

namespace ralu {

namespace {

constexpr std::uint64_t block_bytes = 256 * 1024;

// Fewer pairs than this are screened by the reporting thread alone: a thread
// costs more to start than they take.
constexpr std::size_t pairs_worth_threads = 16;

std::size_t worker_count() {
  const unsigned cores = std::thread::hardware_concurrency();
  return std::clamp<std::size_t>(cores, 1, 8);
}

}  // namespace

Sameness screen_files(const std::array<std::string, 2>& paths,
                      const std::array<std::uint64_t, 2>& sizes) {
  if (sizes[0] != sizes[1]) return Sameness::different;
  std::string failure;
  const std::optional<platform::InputFile> a = platform::InputFile::open(paths[0].c_str(), failure);
  if (!a || !a->is_regular()) return Sameness::unknown;
  const std::optional<platform::InputFile> b = platform::InputFile::open(paths[1].c_str(), failure);
  if (!b || !b->is_regular()) return Sameness::unknown;
  if (a->size() != b->size()) return Sameness::different;
  const std::uint64_t size = a->size();
  const auto block = static_cast<std::size_t>(std::min(size, block_bytes));
  std::vector<char> a_bytes(block);
  std::vector<char> b_bytes(block);
  for (std::uint64_t at = 0; at < size; at += block) {
    const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(block, size - at));
    const std::int64_t a_read = a->read_at(at, std::span(a_bytes.data(), length), failure);
    const std::int64_t b_read = b->read_at(at, std::span(b_bytes.data(), length), failure);
    // A file that ends early has changed since it was opened: the
    // comparison will say so.
    if (a_read != static_cast<std::int64_t>(length) || b_read != a_read) return Sameness::unknown;
    if (std::memcmp(a_bytes.data(), b_bytes.data(), length) != 0) return Sameness::different;
  }
  return Sameness::same;
}

PairScreen::PairScreen(std::span<const TreeEvent> events)
    : events_(events), verdicts_(std::make_unique<std::atomic<Sameness>[]>(events.size())) {
  for (std::size_t i = 0; i < events.size(); ++i) {
    verdicts_[i].store(Sameness::pending, std::memory_order_relaxed);
    if (events[i].kind == TreeEvent::Kind::files) jobs_.push_back(i);
  }
  if (jobs_.size() < pairs_worth_threads) return;
  for (std::size_t i = 0; i < worker_count(); ++i) workers_.emplace_back([this] { work(); });
}

PairScreen::~PairScreen() {
  // Pairs not yet reported are left unscreened.
  next_job_.store(jobs_.size());
  for (std::thread& worker : workers_) worker.join();
}

bool PairScreen::screen_next() {
  const std::size_t job = next_job_.fetch_add(1);
  if (job >= jobs_.size()) return false;
  const std::size_t index = jobs_[job];
  const TreeEvent& event = events_[index];
  const Sameness sameness = event.absent[0] || event.absent[1]
                                ? Sameness::unknown
                                : screen_files(event.paths, event.sizes);
  verdicts_[index].store(sameness, std::memory_order_release);
  verdicts_[index].notify_all();
  return true;
}

void PairScreen::work() {
  while (screen_next()) {
  }
}

Sameness PairScreen::verdict(std::size_t index) {
  for (;;) {
    const Sameness sameness = verdicts_[index].load(std::memory_order_acquire);
    if (sameness != Sameness::pending) return sameness;
    if (!screen_next()) verdicts_[index].wait(Sameness::pending, std::memory_order_acquire);
  }
}

}  // namespace ralu
