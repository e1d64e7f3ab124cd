// The memory helpers: their results, and their failure paths on a heap that
// really refuses (a death-test child with a lowered address-space limit).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "common/common.h"
#include "tests/support/capture.h"
#include "tests/support/heap.h"

namespace {

using testing::ExitedWithCode;

const char endfun_marker[] = "endfun ran\n";

void endfun_writes_marker() { std::fputs(endfun_marker, stderr); }

// A block that a dying child holds stays reachable here, so the leak checker
// of the sanitizer build does not turn the exit status into its own.
void* volatile kept_block = nullptr;

// Writes a line for the parent of a death-test child to check, then ends the
// child at once without exit handlers. Takes no std::string: the child's heap
// is exhausted.
[[noreturn]] void report_and_end(const char* line) {
  std::fputs(line, stderr);
  std::fputs("\n", stderr);
  std::_Exit(0);
}

bool all_bytes_equal(const void* block, std::size_t count, unsigned char value) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  return std::all_of(bytes, bytes + count, [value](unsigned char b) { return b == value; });
}

class Memory : public testing::Test {
 protected:
  void SetUp() override { common::endfun = endfun_writes_marker; }
  void TearDown() override {
    common::endfun = nullptr;
    common::terminate_size = INT32_MAX;
  }
};

// ---------------------------------------------------------------------------
// Results when the heap gives.
// ---------------------------------------------------------------------------

TEST_F(Memory, GetmemClearsEveryRequestedByteOfADirtyBlock) {
  const std::string reason = test_support::dirty_blocks_unavailable_reason();
  if (!reason.empty()) GTEST_SKIP() << reason;
  test_support::DirtyNewBlocks dirty;
  for (const std::int32_t size : {1, 16, 1000, 5000, 200000}) {
    // Blocks recycled through the per-size cache are not made dirty: hold
    // enough of them that the next blocks of this size come fresh.
    std::array<void*, 16> held{};
    for (void*& block : held) block = std::malloc(static_cast<std::size_t>(size));
    ASSERT_NE(*static_cast<unsigned char*>(held.back()), 0) << "new blocks are not dirty here";

    void* block = common::getmem(size);
    EXPECT_TRUE(all_bytes_equal(block, static_cast<std::size_t>(size), 0)) << "size " << size;
    std::free(block);
    for (void* b : held) std::free(b);
  }
}

TEST_F(Memory, GetmemOfZeroGivesABlock) {
  void* block = common::getmem(0);
  EXPECT_NE(block, nullptr);
  std::free(block);
}

TEST_F(Memory, MorememOfNullMakesANewBlock) {
  auto* block = static_cast<char*>(common::moremem(nullptr, 10));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "123456789", 10);
  EXPECT_STREQ(block, "123456789");
  std::free(block);
}

TEST_F(Memory, MorememKeepsTheContentWhenShrinkingAndGrowing) {
  auto* block = static_cast<char*>(common::getmem(64));
  // Only counted bytes are read back, so the text needs no terminator.
  std::memcpy(block, "abcdefghij", 10);  // NOLINT(bugprone-not-null-terminated-result)
  block = static_cast<char*>(common::moremem(block, 4));
  EXPECT_EQ(std::string(block, 4), "abcd");
  block = static_cast<char*>(common::moremem(block, 100000));
  EXPECT_EQ(std::string(block, 4), "abcd");
  std::free(block);
}

// A zero-byte realloc would release the block; the sanitizer build would catch
// a retry on the released block, the release build a double release.
TEST_F(Memory, MorememOfZeroGivesALiveBlockAndReportsNothing) {
  test_support::CaptureStream err(stderr);
  void* fresh = common::moremem(nullptr, 0);
  void* shrunk = common::moremem(common::getmem(64), 0);
  EXPECT_EQ(err.finish(), "");
  EXPECT_NE(fresh, nullptr);
  EXPECT_NE(shrunk, nullptr);
  std::free(fresh);
  std::free(shrunk);
}

TEST_F(Memory, SetstrCopiesIntoANewBlock) {
  const char original[] = "x\x82\xa0y";
  char* copy = common::setstr(original);
  EXPECT_NE(copy, original);
  EXPECT_STREQ(copy, original);
  std::free(copy);

  char* empty = common::setstr("");
  EXPECT_EQ(empty[0], '\0');
  std::free(empty);
}

// The block must be exactly both lengths plus one. Under AddressSanitizer the
// usable size is the requested size itself; elsewhere it is the size class of
// the request, which tells an exact request from a larger one when the exact
// size sits at the top of its class.
TEST_F(Memory, AddstrResizesToBothLengthsPlusOne) {
  struct Case {
    const char* buf;
    const char* s;
  };
  for (const Case& c :
       {Case{"abc", "de"}, Case{"abc", ""}, Case{"", "xyz"}, Case{"0123456789abc", "defghijklm"}}) {
    const std::string expected = std::string(c.buf) + c.s;
    void* reference = std::malloc(expected.size() + 1);
    const std::size_t exact_class = test_support::usable_size(reference);
    std::free(reference);

    char* joined = common::addstr(common::setstr(c.buf), c.s);
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(test_support::usable_size(joined), exact_class) << expected;
    std::free(joined);
  }
  // The last case above could tell one byte more from the exact request.
  void* exact = std::malloc(24);
  void* one_more = std::malloc(25);
  EXPECT_NE(test_support::usable_size(exact), test_support::usable_size(one_more));
  std::free(exact);
  std::free(one_more);
}

// ---------------------------------------------------------------------------
// Negative sizes never reach the heap: they fail like a refused request.
// ---------------------------------------------------------------------------

struct NegativeCase {
  const char* name;
  std::function<void()> call;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const NegativeCase& c, std::ostream* os) { *os << c.name; }

class NegativeSize : public Memory, public testing::WithParamInterface<NegativeCase> {};

TEST_P(NegativeSize, FailsWithTheMessageThenEndfunThenStatus1) {
  EXPECT_EXIT(GetParam().call(), ExitedWithCode(1),
              testing::Eq(GetParam().expected + endfun_marker));
}

INSTANTIATE_TEST_SUITE_P(
    MemoryDeathTest, NegativeSize,
    testing::Values(NegativeCase{"getmem_minus_one", [] { common::getmem(-1); },
                                 "cannot get the memory of -1 bytes\n"},
                    NegativeCase{"getmem_int_min", [] { common::getmem(INT32_MIN); },
                                 "cannot get the memory of -2147483648 bytes\n"},
                    NegativeCase{"moremem_minus_one",
                                 [] {
                                   kept_block = common::getmem(16);
                                   common::moremem(kept_block, -1);
                                 },
                                 "cannot get the memory of -1 bytes\n"},
                    NegativeCase{"moremem_null_int_min",
                                 [] { common::moremem(nullptr, INT32_MIN); },
                                 "cannot get the memory of -2147483648 bytes\n"}),
    [](const testing::TestParamInfo<NegativeCase>& param_info) {
      return std::string(param_info.param.name);
    });

TEST_F(Memory, NegativeSizeAtALoweredThresholdReturnsNull) {
  common::terminate_size = -5;
  common::errmsg_output_flg = 0;
  test_support::CaptureStream err(stderr);
  EXPECT_EQ(common::getmem(-5), nullptr);
  EXPECT_EQ(err.finish(), "cannot get the memory of -5 bytes\n");
  EXPECT_EQ(common::errmsg_output_flg, 1);
}

// ---------------------------------------------------------------------------
// A heap that refuses for real.
// ---------------------------------------------------------------------------

class RefusingHeap : public Memory {
 protected:
  void SetUp() override {
    Memory::SetUp();
    const std::string reason = test_support::heap_exhaustion_unavailable_reason();
    if (!reason.empty()) GTEST_SKIP() << reason;
  }
};

// One refused call each. prepare runs while the heap still gives (a block it
// makes goes into kept_block), call runs once the heap refuses.
struct RefusedCase {
  std::string name;
  std::function<void()> call;
  std::string message;
  std::function<void()> prepare = [] {};
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

const std::string long_tail(5000, 't');

std::vector<RefusedCase> refused_cases() {
  std::vector<RefusedCase> cases;
  // The size message in bytes up to 1000, in thousands (truncated) above.
  const std::pair<std::int32_t, const char*> sizes[] = {{1, "1 bytes"},
                                                        {1000, "1000 bytes"},
                                                        {1001, "1 K bytes"},
                                                        {2999, "2 K bytes"},
                                                        {3000, "3 K bytes"}};
  for (const auto& entry : sizes) {
    const std::int32_t size = entry.first;
    const std::string message = std::string("cannot get the memory of ") + entry.second + "\n";
    cases.push_back({"getmem_" + std::to_string(size), [size] { common::getmem(size); }, message});
    cases.push_back(
        {"moremem_" + std::to_string(size), [size] { common::moremem(nullptr, size); }, message});
  }
  cases.push_back({"moremem_of_a_held_block", [] { common::moremem(kept_block, 5000); },
                   "cannot get the memory of 5 K bytes\n", [] { kept_block = std::malloc(1); }});
  cases.push_back({"moremem_ignores_terminate_size", [] { common::moremem(nullptr, 5000); },
                   "cannot get the memory of 5 K bytes\n", [] { common::terminate_size = 0; }});
  cases.push_back({"setstr", [] { common::setstr("text"); }, "cannot get memory\n"});
  cases.push_back({"addstr",
                   [] { common::addstr(static_cast<char*>(kept_block), long_tail.c_str()); },
                   "can't get memory\n", [] { kept_block = common::setstr("head"); }});
  return cases;
}

class RefusedCall : public RefusingHeap, public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedCall, WritesTheMessageThenRunsEndfunThenExits1) {
  EXPECT_EXIT(
      {
        GetParam().prepare();
        test_support::exhaust_heap();
        GetParam().call();
      },
      ExitedWithCode(1), testing::Eq(GetParam().message + endfun_marker));
}

INSTANTIATE_TEST_SUITE_P(MemoryDeathTest, RefusedCall, testing::ValuesIn(refused_cases()),
                         [](const testing::TestParamInfo<RefusedCase>& param_info) {
                           return param_info.param.name;
                         });

TEST_F(RefusingHeap, WithoutEndfunTheMessageIsFollowedByExit1) {
  EXPECT_EXIT(
      {
        common::endfun = nullptr;
        test_support::exhaust_heap();
        common::getmem(1000);
      },
      ExitedWithCode(1), testing::Eq("cannot get the memory of 1000 bytes\n"));
}

struct ThresholdCase {
  std::int32_t terminate_size;
  std::int32_t size;
  std::string message;
  bool returns_null;
};

// A failed getmem at or above terminate_size writes its message and returns
// null without endfun; below it, the process ends.
TEST_F(RefusingHeap, GetmemReturnsNullAtOrAboveTerminateSize) {
  const ThresholdCase cases[] = {
      {5000, 5000, "cannot get the memory of 5 K bytes\n", true},
      {5000, 6001, "cannot get the memory of 6 K bytes\n", true},
      {5000, 4999, "cannot get the memory of 4 K bytes\n", false},
      {1000, 1000, "cannot get the memory of 1000 bytes\n", true},
      {INT32_MAX, INT32_MAX, "cannot get the memory of 2147483 K bytes\n", true},
      {INT32_MAX, INT32_MAX - 1, "cannot get the memory of 2147483 K bytes\n", false},
  };
  for (const ThresholdCase& c : cases) {
    EXPECT_EXIT(
        {
          common::terminate_size = c.terminate_size;
          common::errmsg_output_flg = 0;
          test_support::exhaust_heap();
          void* block = common::getmem(c.size);
          report_and_end(block == nullptr && common::errmsg_output_flg == 1 ? "null, flag set"
                                                                            : "unexpected");
        },
        ExitedWithCode(c.returns_null ? 0 : 1),
        testing::Eq(c.message + (c.returns_null ? "null, flag set\n" : endfun_marker)))
        << "terminate_size " << c.terminate_size << ", size " << c.size;
  }
}

// The retries: with the heap's arena growth padded to 1 MiB and blocks from
// 128 KiB up mapped on their own, 512 KiB of headroom cannot serve a request
// just under 128 KiB but can serve the same request plus the retry margin.
constexpr std::size_t own_mapping_from = std::size_t{128} * 1024;
constexpr std::size_t retry_headroom = std::size_t{512} * 1024;

void prepare_heap_for_retry() {
  test_support::fix_heap_growth(own_mapping_from, std::size_t{1024} * 1024);
  test_support::exhaust_heap(retry_headroom);
}

TEST_F(RefusingHeap, GetmemRetriesWith4000MoreBytesAndClearsTheRequestedOnes) {
  constexpr std::int32_t size = own_mapping_from - 2000;
  EXPECT_EXIT(
      {
        test_support::DirtyNewBlocks dirty;
        prepare_heap_for_retry();
        auto* block = static_cast<unsigned char*>(common::getmem(size));
        if (test_support::usable_size(block) < size + 4000) report_and_end("no retry");
        if (!all_bytes_equal(block, size, 0)) report_and_end("not cleared");
        if (!all_bytes_equal(block + size, 4000, 0xAA)) report_and_end("margin changed");
        report_and_end("cleared, margin untouched");
      },
      ExitedWithCode(0), testing::Eq("cleared, margin untouched\n"));
}

TEST_F(RefusingHeap, MorememRetriesWith1000MoreBytesKeepingTheContent) {
  constexpr std::int32_t size = own_mapping_from - 500;
  EXPECT_EXIT(
      {
        auto* block = static_cast<char*>(std::malloc(16));
        std::memcpy(block, "kept content", 13);
        prepare_heap_for_retry();
        block = static_cast<char*>(common::moremem(block, size));
        if (test_support::usable_size(block) < size + 1000) report_and_end("no retry");
        report_and_end(block);
      },
      ExitedWithCode(0), testing::Eq("kept content\n"));
}

// Without the retry margin the same heap refuses, so the tests above show the
// retry and not a heap that had room anyway.
TEST_F(RefusingHeap, RetryHeapRefusesTheRequestsThemselves) {
  EXPECT_EXIT(
      {
        prepare_heap_for_retry();
        kept_block = std::malloc(own_mapping_from - 500);
        if (kept_block != nullptr) report_and_end("served");
        kept_block = std::malloc(own_mapping_from - 2000);
        report_and_end(kept_block == nullptr ? "refused" : "served");
      },
      ExitedWithCode(0), testing::Eq("refused\n"));
}

}  // namespace
