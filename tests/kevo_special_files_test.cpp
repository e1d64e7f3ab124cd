// kevo on operands that are not plain small files: pipes fed by another
// thread, huge sparse files, devices, awkward names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fed_pipe.h"
#include "tests/support/kevo_run.h"
#include "tests/support/system.h"

namespace {

namespace fs = std::filesystem;
using test_support::FedPipe;
using test_support::fold_line_ends;
using test_support::ProcessResult;
using test_support::run_kevo;
using test_support::TempDir;
using test_support::write_file;

std::string lines(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

// The bytes of a file as reading gives them, whatever its status says.
std::string read_by_stream(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct KevoRun {
  std::vector<std::string> args;
  int status;
  std::string out;
  std::string err;
};

void expect_runs(const TempDir& dir, const std::vector<KevoRun>& runs) {
  for (const KevoRun& run : runs) {
    std::string shown;
    for (const std::string& arg : run.args) shown += arg + " ";
    const ProcessResult r = run_kevo(dir, run.args);
    EXPECT_EQ(r.status, run.status) << shown;
    EXPECT_EQ(fold_line_ends(r.out), run.out) << shown;
    EXPECT_EQ(fold_line_ends(r.err), run.err) << shown;
  }
}

TEST(KevoSpecialFiles, FileWhoseStatusSaysEmptyIsRead) {
  // Files under /proc hold bytes that their status does not count: the size
  // shortcut cannot be taken, and the sizes printed stay those of the status.
  const std::string proc_file = "/proc/version";
  std::error_code error;
  if (!fs::is_regular_file(proc_file, error) || fs::file_size(proc_file, error) != 0) {
    GTEST_SKIP() << "no " << proc_file << " whose status gives size 0 (a Linux /proc)";
  }
  TempDir dir;
  const std::string content = read_by_stream(proc_file);
  ASSERT_FALSE(content.empty());
  write_file(dir.path("copy"), content);
  write_file(dir.path("longer"), content + "x");
  const std::string longer_size = std::to_string(content.size() + 1);
  expect_runs(dir, {
                       {{proc_file, "copy"}, 0, "match: " + proc_file + " ... copy\n", ""},
                       {{"copy", proc_file}, 0, "match: copy ... " + proc_file + "\n", ""},
                       {{"-t", proc_file, "copy"}, 0, "match: " + proc_file + " ... copy\n", ""},
                       {{proc_file, "longer"},
                        0,
                        "unmatch: " + proc_file + "(0) ... longer(" + longer_size + ")\n",
                        ""},
                   });
}

TEST(KevoSpecialFiles, ReadErrorIsNoEndOfFile) {
  // /proc/self/mem opens, and refuses a read at offset 0.
  const std::string refusing = "/proc/self/mem";
  if (!test_support::file_exists(refusing)) GTEST_SKIP() << "no " << refusing << " here";
  TempDir dir;
  const std::string null_device = test_support::null_device_name();
  // The reason is the system's: EIO from Linux, another under Wine.
  const std::string said = refusing + ": cannot be read (";
  for (const std::vector<std::string>& args : {std::vector<std::string>{refusing, null_device},
                                               {null_device, refusing},
                                               {"-b", "-t", refusing, null_device}}) {
    const ProcessResult r = run_kevo(dir, args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    const std::string error = fold_line_ends(r.err);
    EXPECT_TRUE(error.starts_with(said) && error.ends_with(")\n") &&
                error.size() > said.size() + 2 && error.find('\n') == error.size() - 1)
        << args[0] << ": " << error;
  }
}

TEST(KevoSpecialFiles, OneFileUnderTwoNamesIsEqualWithoutReading) {
  // A device that never ends: read, the pair would never be decided.
  TempDir dir;
  std::vector<KevoRun> runs;
  if (const std::string endless = test_support::endless_device_name(); !endless.empty()) {
    fs::create_symlink(endless, dir.path("endless-link"));
    const std::string other_name =
        fs::path(endless).parent_path().string() + "/./" + fs::path(endless).filename().string();
    for (const std::string& other : {std::string("endless-link"), other_name}) {
      runs.push_back({{endless, other}, 0, "match: " + endless + " ... " + other + "\n", ""});
      runs.push_back({{"-t", other, endless}, 0, "match: " + other + " ... " + endless + "\n", ""});
    }
  } else {
    // Windows: the null device under another spelling.
    const std::string null_device = test_support::null_device_name();
    runs.push_back({{null_device, "nul"}, 0, "match: " + null_device + " ... nul\n", ""});
  }
  // A file and a hard link to it, under -i: nothing to say.
  write_file(dir.path("file"), "content\n");
  fs::create_hard_link(dir.path("file"), dir.path("hard-link"));
  runs.push_back({{"-i", "file", "hard-link"}, 0, "", ""});
  expect_runs(dir, runs);
}

TEST(KevoSpecialFiles, NamedPipeIsReadToItsEnd) {
  TempDir dir;
  const std::string content = lines(3000);
  write_file(dir.path("file"), content);
  {
    // A pipe's size is 0, so -t makes kevo read it instead of trusting the sizes.
    const FedPipe pipe(dir.path("pipe"), content);
    if (pipe.name().empty()) GTEST_SKIP() << pipe.why_not();
    const ProcessResult r = run_kevo(dir, {"-t", pipe.name(), "file"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(fold_line_ends(r.out), "match: " + pipe.name() + " ... file\n");
  }
  {
    // A differing text pair with a pipe is not handed on: ralu would wait
    // for ever on the pipe that kevo has read.
    const FedPipe pipe(dir.path("pipe"), content + "x");
    const ProcessResult r = run_kevo(dir, {"-t", pipe.name(), "file"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(fold_line_ends(r.out),
              "unmatch: " + pipe.name() + "(0) ... file(" + std::to_string(content.size()) + ")\n");
    EXPECT_EQ(fold_line_ends(r.err),
              pipe.name() + ": a pipe cannot be read a second time; no report written\n");
    EXPECT_FALSE(test_support::file_exists(dir.path("pipe.dif")));
  }
  if (const std::string null_device = test_support::null_device_name(); !null_device.empty()) {
    // Two sizes of 0 are equal, so the contents are read and compared.
    const FedPipe pipe(dir.path("pipe"), content);
    const ProcessResult r = run_kevo(dir, {pipe.name(), null_device});
    EXPECT_EQ(r.out, "unmatch: " + pipe.name() + "(0) ... " + null_device + "(0)\n");
  }
}

TEST(KevoSpecialFiles, NullDeviceIsAnEmptyFile) {
  // /dev/null, or NUL on Windows, whose status no name-based query gives.
  const std::string null_device = test_support::null_device_name();
  TempDir dir;
  write_file(dir.path("a.txt"), "hello\n");
  write_file(dir.path("empty"), "");
  struct Case {
    std::vector<std::string> args;
    std::string out;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"a.txt", null_device}, "unmatch: a.txt(6) ... " + null_device + "(0)\n", ""},
      {{null_device, "empty"}, "match: " + null_device + " ... empty\n", ""},
      {{"-t", "a.txt", null_device},
       "unmatch: a.txt(6) ... " + null_device + "(0)\n",
       "... ralu a.txt " + null_device + " > .\\a.txt.dif\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = run_kevo(dir, c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(fold_line_ends(r.out), c.out);
    EXPECT_EQ(fold_line_ends(r.err), c.err);
  }
  // ralu read the device as empty too: the report deletes every line.
  ASSERT_TRUE(test_support::file_exists(dir.path("a.txt.dif")));
  EXPECT_TRUE(test_support::read_file(dir.path("a.txt.dif")).ends_with("@@ -1 +0,0 @@\n-hello\n"));
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
