// kevo's content comparison: the size shortcut, the block-by-block compare,
// the text test under -t and the result lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

using test_support::ProcessResult;
using test_support::run_kevo;
using test_support::TempDir;
using test_support::write_file;

class KevoCompare : public testing::Test {
 protected:
  ProcessResult compare(const std::string& first, const std::string& second,
                        const std::vector<std::string>& options = {}) {
    write_file(dir.path("first"), first);
    write_file(dir.path("second"), second);
    std::vector<std::string> args = options;
    args.insert(args.end(), {"first", "second"});
    return run_kevo(dir, args);
  }

  static std::string unmatch(std::size_t first, std::size_t second) {
    return "unmatch: first(" + std::to_string(first) + ") ... second(" + std::to_string(second) +
           ")\n";
  }

  TempDir dir;
};

const std::string match_line = "match: first ... second\n";

std::string text_of(std::size_t size, char fill = 'a') {
  std::string text(size, fill);
  for (std::size_t i = 63; i < size; i += 64) text[i] = '\n';
  return text;
}

TEST_F(KevoCompare, EqualContentsMatchAtBlockBoundaries) {
  for (std::size_t size :
       {0u, 1u, 255u, 256u, 257u, 511u, 512u, 513u, 262143u, 262144u, 262145u, 600000u}) {
    const std::string content = text_of(size);
    for (const auto& options : {std::vector<std::string>{}, {"-t"}}) {
      const ProcessResult r = compare(content, content, options);
      EXPECT_EQ(r.status, 0) << size;
      EXPECT_EQ(r.out, match_line) << size;
      EXPECT_EQ(r.err, "") << size;
    }
  }
}

TEST_F(KevoCompare, QuietMatchSilencesOnlyTheMatchLine) {
  EXPECT_EQ(compare("same\n", "same\n", {"-i"}).out, "");
  EXPECT_EQ(compare("same\n", "same\n", {"-ti"}).out, "");
  EXPECT_EQ(compare("same\n", "other\n", {"-i"}).out, unmatch(5, 6));
  EXPECT_EQ(compare("same\n", "Same\n", {"-ti"}).out, unmatch(5, 5));
}

TEST_F(KevoCompare, OneDifferingByteIsFoundAnywhere) {
  for (std::size_t size : {1u, 256u, 257u, 511u, 70000u, 262145u, 600000u}) {
    for (std::size_t at : {std::size_t{0}, size / 2, size - 1}) {
      const std::string first = text_of(size);
      std::string second = first;
      second[at] = second[at] == 'b' ? 'c' : 'b';
      for (const auto& options : {std::vector<std::string>{}, {"-t"}}) {
        const ProcessResult r = compare(first, second, options);
        EXPECT_EQ(r.out, unmatch(size, size)) << size << " at " << at;
        EXPECT_EQ(r.status, 0);
      }
    }
  }
}

TEST_F(KevoCompare, PrefixIsReportedWithBothSizes) {
  const std::string longer = text_of(1000);
  for (const auto& options : {std::vector<std::string>{}, {"-t"}, {"-i"}}) {
    EXPECT_EQ(compare(longer.substr(0, 300), longer, options).out, unmatch(300, 1000));
    EXPECT_EQ(compare(longer, longer.substr(0, 256), options).out, unmatch(1000, 256));
    EXPECT_EQ(compare("", longer, options).out, unmatch(0, 1000));
  }
}

TEST_F(KevoCompare, WorkedExampleFromTheHelp) {
  write_file(dir.path("a.txt"), std::string(120, 'x'));
  write_file(dir.path("b.txt"), std::string(131, 'x'));
  EXPECT_EQ(run_kevo(dir, {"a.txt", "b.txt"}).out, "unmatch: a.txt(120) ... b.txt(131)\n");
}

TEST_F(KevoCompare, ControlBytesOnlyMatterUnderTextFlag) {
  // Control bytes never change the result line, with or without -t, and say
  // nothing about the text test: a differing pair is not handed on.
  for (char control : {'\0', '\x1a', '\x1b', '\x01', '\x08', '\x0b', '\x0e', '\x1f'}) {
    const std::string first = "line one\n" + std::string(1, control) + "line two\n";
    for (const auto& options : {std::vector<std::string>{}, {"-t"}}) {
      const ProcessResult equal = compare(first, first, options);
      EXPECT_EQ(equal.out, match_line);
      const ProcessResult differ = compare(first, first + "more\n", options);
      EXPECT_EQ(differ.out, unmatch(first.size(), first.size() + 5));
      EXPECT_EQ(differ.err, "");
      EXPECT_EQ(differ.status, 0);
    }
  }
}

TEST_F(KevoCompare, StaleBytesOfAShortLastBlockAreNotCompared) {
  // The second file's last block is shorter than the first's last block was
  // long; bytes left over from earlier must not make equal files differ.
  const std::string content = std::string(300, 'x') + std::string(10, 'y');
  EXPECT_EQ(compare(content, content).out, match_line);
}

TEST_F(KevoCompare, SizesComeFromTheFileStatus) {
  // The null device has size 0 and no content: it matches an empty file.
  const std::string null = test_support::null_device_name();
  if (null.empty()) GTEST_SKIP() << "no device here that reads as empty and has a file status";
  write_file(dir.path("empty"), "");
  EXPECT_EQ(run_kevo(dir, {"empty", null}).out, "match: empty ... " + null + "\n");
  write_file(dir.path("one"), "1");
  EXPECT_EQ(run_kevo(dir, {null, "one"}).out, "unmatch: " + null + "(0) ... one(1)\n");
  EXPECT_EQ(run_kevo(dir, {"-t", null, "one"}).out, "unmatch: " + null + "(0) ... one(1)\n");
}

TEST_F(KevoCompare, ShiftJisTextIsText) {
  const std::string sjis = "\x83\x65\x83\x4c\x83\x58\x83\x67\r\n\xb1\xb2\x81\x40\x95\x5c\n";
  EXPECT_EQ(compare(sjis, sjis, {"-t"}).out, match_line);
  EXPECT_EQ(compare(sjis, sjis + "x", {"-t"}).out, unmatch(sjis.size(), sjis.size() + 1));
}

TEST_F(KevoCompare, LargeSizesPrintInFull) {
  // Sparse files of 5 GiB and one byte more: their sizes differ, so without
  // -t nothing is read, and both sizes pass 32 bits.
  const std::uintmax_t size = std::uintmax_t{5} << 30;
  for (const char* name : {"big1", "big2"}) write_file(dir.path(name), "");
  std::filesystem::resize_file(dir.root() / "big1", size);
  std::filesystem::resize_file(dir.root() / "big2", size + 1);
  EXPECT_EQ(run_kevo(dir, {"big1", "big2"}).out,
            "unmatch: big1(5368709120) ... big2(5368709121)\n");
}

TEST_F(KevoCompare, UnreadableFileIsNotFound) {
  write_file(dir.path("locked"), "secret\n");
  write_file(dir.path("open"), "secret\n");
  if (const auto why = test_support::make_unreadable(dir.path("locked")); !why.empty()) {
    GTEST_SKIP() << why;
  }
  const ProcessResult r = run_kevo(dir, {"locked", "open"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "not found: locked\n");
}

}  // namespace
