// kevo's compare loop against an independent model, over many seeded random
// pairs whose sizes sit around multiples of the 256-byte block and of the
// larger read chunk, with differences and control bytes placed at block edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"

namespace {

namespace fs = std::filesystem;
using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::run_process;
using test_support::TempDir;
using test_support::write_file;

bool has_control_byte(const std::string& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\f' && byte != '\r';
  });
}

class PairMaker {
 public:
  explicit PairMaker(unsigned seed) : random_(seed) {}

  std::size_t size() {
    static const std::vector<std::size_t> bases = {0, 256, 512, 4096, 65536, 262144, 524288};
    const std::size_t base = bases[pick(bases.size())];
    const long offset = static_cast<long>(pick(5)) - 2;  // -2 .. +2
    return static_cast<std::size_t>(std::max(0L, static_cast<long>(base) + offset));
  }

  std::string text(std::size_t size) {
    std::string bytes(size, ' ');
    for (char& c : bytes) c = static_cast<char>(pick(4) == 0 ? '\n' : 'a' + pick(26));
    return bytes;
  }

  // A place where faults like to hide: the first block, a block edge, the end.
  std::size_t position(std::size_t size) {
    if (size == 0) return 0;
    switch (pick(4)) {
      case 0:
        return pick(std::min<std::size_t>(size, 256));
      case 1: {
        const std::size_t edge = (pick(size / 256 + 1)) * 256;
        const std::size_t at = edge + pick(2) - (edge > 0 ? 1 : 0);
        return std::min(at, size - 1);
      }
      case 2:
        return size - 1;
      default:
        return pick(size);
    }
  }

  std::size_t pick(std::size_t bound) {
    return bound == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

 private:
  std::mt19937 random_;
};

struct Pair {
  std::string first;
  std::string second;
};

Pair make_pair(PairMaker& maker) {
  Pair pair;
  pair.first = maker.text(maker.size());
  switch (maker.pick(3)) {
    case 0:
      pair.second = pair.first;
      break;  // equal, maybe edited below
    case 1:
      pair.second = pair.first.substr(0, maker.position(pair.first.size()));
      break;
    default:
      pair.second = maker.text(maker.size());
      break;
  }
  if (!pair.second.empty() && maker.pick(2) == 0) {
    pair.second[maker.position(pair.second.size())] ^= 1;  // one differing byte
  }
  for (std::string* side : {&pair.first, &pair.second}) {
    if (!side->empty() && maker.pick(4) == 0) {
      static const char controls[] = {'\0', '\x01', '\x08', '\x0b', '\x0e', '\x1a', '\x1b', '\x1f'};
      (*side)[maker.position(side->size())] = controls[maker.pick(sizeof controls)];
    }
  }
  if (maker.pick(6) == 0) pair.second = pair.first;  // equal with a control byte too
  return pair;
}

TEST(KevoDifferential, CompareLoopAgreesWithModel) {
  TempDir dir;
  // A kevo alone in its folder with an empty PATH: a hand-off shows as its
  // echo on standard error and runs nothing.
  fs::create_directory(dir.root() / "tools");
  const std::string kevo = test_support::copy_kevo_into(dir.path("tools"));
  ProcessOptions options;
  options.working_dir = dir.root().string();
  options.extra_env = {"PATH=/nonexistent"};

  PairMaker maker(20261207);
  for (int round = 0; round < 150; ++round) {
    const Pair pair = make_pair(maker);
    write_file(dir.path("first"), pair.first);
    write_file(dir.path("second"), pair.second);
    const bool equal = pair.first == pair.second;
    const bool handed_on =
        !equal && !has_control_byte(pair.first) && !has_control_byte(pair.second);
    const std::string result = equal ? "match: first ... second\n"
                                     : "unmatch: first(" + std::to_string(pair.first.size()) +
                                           ") ... second(" + std::to_string(pair.second.size()) +
                                           ")\n";
    const std::string context = "round " + std::to_string(round) + " sizes " +
                                std::to_string(pair.first.size()) + "/" +
                                std::to_string(pair.second.size());

    const ProcessResult plain = run_process(kevo, {"first", "second"}, options);
    EXPECT_EQ(plain.status, 0) << context;
    EXPECT_EQ(plain.out, result) << context;
    EXPECT_EQ(plain.err, "") << context;

    const ProcessResult text = run_process(kevo, {"-t", "first", "second"}, options);
    EXPECT_EQ(text.status, 0) << context;
    EXPECT_EQ(text.out, result) << context;
    EXPECT_EQ(text.err.rfind("... ralu first second > .\\first.dif\n", 0) == 0, handed_on)
        << context << "\n"
        << text.err;
  }
}

}  // namespace
