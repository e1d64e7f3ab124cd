// kevo on operands that are not plain small files: pipes fed by another
// process, huge sparse files, devices, awkward names.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

namespace fs = std::filesystem;
using test_support::ProcessResult;
using test_support::run_kevo;
using test_support::TempDir;
using test_support::write_file;

// Feeds a named pipe from another thread in small pieces, so that kevo sees
// reads that return less than it asked for before the pipe really ends.
class PipeFeeder {
 public:
  PipeFeeder(std::string path, std::string content)
      : thread_([path = std::move(path), content = std::move(content)] {
          const int fd = ::open(path.c_str(), O_WRONLY);
          if (fd < 0) return;
          for (std::size_t at = 0; at < content.size(); at += 100) {
            const std::size_t count = std::min<std::size_t>(100, content.size() - at);
            if (::write(fd, content.data() + at, count) < 0) break;
            if (at % 5000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          }
          ::close(fd);
        }) {}
  ~PipeFeeder() { thread_.join(); }

 private:
  std::thread thread_;
};

std::string lines(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

TEST(KevoSpecialFiles, NamedPipeIsReadToItsEnd) {
  TempDir dir;
  const std::string content = lines(3000);
  write_file(dir.path("file"), content);
  if (const auto why = test_support::make_named_pipe(dir.path("pipe")); !why.empty()) {
    GTEST_SKIP() << why;
  }
  {
    // A pipe's size is 0, so -t makes kevo read it instead of trusting the sizes.
    PipeFeeder feeder(dir.path("pipe"), content);
    const ProcessResult r = run_kevo(dir, {"-t", "pipe", "file"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "match: pipe ... file\n");
  }
  {
    // A differing text pair with a pipe is not handed on: ralu would wait
    // for ever on the pipe that kevo has read.
    PipeFeeder feeder(dir.path("pipe"), content + "x");
    const ProcessResult r = run_kevo(dir, {"-t", "pipe", "file"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "unmatch: pipe(0) ... file(" + std::to_string(content.size()) + ")\n");
    EXPECT_EQ(r.err, "pipe: a pipe cannot be read a second time; no report written\n");
    EXPECT_FALSE(test_support::file_exists(dir.path("pipe.dif")));
  }
  {
    // Two sizes of 0 are equal, so the contents are read and compared.
    PipeFeeder feeder(dir.path("pipe"), content);
    const ProcessResult r = run_kevo(dir, {"pipe", "/dev/null"});
    EXPECT_EQ(r.out, "unmatch: pipe(0) ... /dev/null(0)\n");
  }
}

TEST(KevoSpecialFiles, SparseFilesBeyondFourGiB) {
  TempDir dir;
  const std::uintmax_t size = (std::uintmax_t{4} << 30) + 1;
  for (const char* name : {"big1", "big2"}) {
    write_file(dir.path(name), "");
    fs::resize_file(dir.root() / name, size);
  }
  EXPECT_EQ(run_kevo(dir, {"big1", "big2"}).out, "match: big1 ... big2\n");

  // The same size, differing only in the very last byte.
  std::fstream last(dir.path("big2"), std::ios::in | std::ios::out | std::ios::binary);
  last.seekp(static_cast<std::streamoff>(size - 1));
  last.put('x');
  last.close();
  ASSERT_FALSE(last.fail());
  EXPECT_EQ(run_kevo(dir, {"big1", "big2"}).out,
            "unmatch: big1(4294967297) ... big2(4294967297)\n");
}

TEST(KevoSpecialFiles, AwkwardNamesArePrintedByteForByte) {
  TempDir dir;
  write_file(dir.path("plain"), "same\n");
  const std::vector<std::string> names = {
      std::string(255, 'n'),       // the longest file name component
      "\xff\xfe\x80 not utf-8",    // bytes that are no UTF-8
      "\x95\x5c\x83\x5c\x8e\x5c",  // Shift-JIS with trail bytes 0x5C
      "%s%n%d%%",                  // formats that must not be read as such
      "* ? [a-z]",                 // wildcards are never expanded
  };
  for (const std::string& name : names) {
    if (!test_support::file_names_may_hold(name)) continue;  // not a name on this system
    if (name.size() > 200 && !test_support::why_long_names_cannot_work().empty()) continue;
    write_file(dir.path(name), "same\n");
    const ProcessResult r = run_kevo(dir, {"plain", name});
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.out, "match: plain ... " + name + "\n");
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
