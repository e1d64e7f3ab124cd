// The built ralu end to end: exact reports, exit statuses, options, standard
// input, names, and the messages for trouble.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/heap.h"
#include "tests/support/ralu_run.h"
#include "tests/support/system.h"

#ifdef _WIN32
#include <windows.h>

#include <optional>

#include "platform/windows/win32.h"
#endif

namespace {

using test_support::ProcessOptions;
using test_support::ProcessResult;
using test_support::run_ralu;
using test_support::TempDir;
using test_support::write_file;

#ifdef _WIN32
constexpr bool on_windows = true;
#else
constexpr bool on_windows = false;
#endif

// The times the fixture gives its two files, as the header shows them in UTC.
// Windows keeps file times in 100 ns ticks, so the fraction is one of those.
const std::string old_header = "--- a\t2001-09-09 01:46:40.123456700 +0000\n";
const std::string new_header = "+++ b\t2001-09-09 01:46:41.000000000 +0000\n";

class RaluCli : public testing::Test {
 public:
  ProcessResult ralu_on(const std::string& old_text, const std::string& new_text,
                        std::vector<std::string> options = {}) {
    write_file(dir.path("a"), old_text);
    write_file(dir.path("b"), new_text);
    test_support::set_modification_time(dir.path("a"), 1000000000, 123456700);
    test_support::set_modification_time(dir.path("b"), 1000000001, 0);
    options.insert(options.end(), {"a", "b"});
    return run_ralu(dir, options);
  }

  TempDir dir;
};

std::string numbered(int first, int last) {
  std::string text;
  for (int i = first; i <= last; ++i) text += std::to_string(i) + "\n";
  return text;
}

TEST_F(RaluCli, ExactReports) {
  struct Case {
    const char* what;
    std::string old_text, new_text;
    std::vector<std::string> options;
    std::string hunks;
  };
  const std::vector<Case> cases = {
      {"one-line change", "a\nb\nc\n", "a\nB\nc\n", {}, "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
      {"insertion at the start",
       numbered(1, 5),
       "0\n" + numbered(1, 5),
       {},
       "@@ -1,3 +1,4 @@\n+0\n 1\n 2\n 3\n"},
      {"deletion at the end",
       numbered(1, 6),
       numbered(1, 5),
       {},
       "@@ -3,4 +3,3 @@\n 3\n 4\n 5\n-6\n"},
      {"new file lacks its last line end",
       "a\nb\n",
       "a\nb",
       {},
       "@@ -1,2 +1,2 @@\n a\n-b\n+b\n\\ No newline at end of file\n"},
      {"both lack it, as context",
       "x\nend",
       "y\nend",
       {},
       "@@ -1,2 +1,2 @@\n-x\n+y\n end\n\\ No newline at end of file\n"},
      {"contexts that touch are merged",
       numbered(1, 12),
       "1\nTWO\n" + numbered(3, 8) + "NINE\n" + numbered(10, 12),
       {},
       "@@ -1,12 +1,12 @@\n 1\n-2\n+TWO\n 3\n 4\n 5\n 6\n 7\n 8\n-9\n+NINE\n 10\n 11\n 12\n"},
      {"-U 0",
       "a\nb\nc\nd\n",
       "a\nc\nd\nD\n",
       {"-U", "0"},
       "@@ -2 +1,0 @@\n-b\n@@ -4,0 +4 @@\n+D\n"},
      {"--unified=1",
       numbered(1, 9),
       "1\n2\n3\n4\nfive\n6\n7\n8\n9\n",
       {"--unified=1"},
       "@@ -4,3 +4,3 @@\n 4\n-5\n+five\n 6\n"},
      {"carriage returns, and NUL bytes under -a, are line bytes",
       "a\r\nb\n",
       std::string("a\nb\0\n", 5),
       {"-a"},
       "@@ -1,2 +1,2 @@\n-a\r\n-b\n+a\n+" + std::string("b\0\n", 3)},
  };
  for (const Case& c : cases) {
    const ProcessResult r = ralu_on(c.old_text, c.new_text, c.options);
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.out, old_header + new_header + c.hunks) << c.what;
    EXPECT_EQ(r.err, "") << c.what;
  }
}

// The options that diff has, on every system (the comparison with diff itself
// runs only where diff does).
TEST_F(RaluCli, DiffOptionsEverywhere) {
  struct Case {
    std::vector<std::string> options;
    std::string old_text, new_text, out;
    int status;
  };
  const std::vector<Case> cases = {
      {{"-w", "--label", "L1", "--lab=L2"},
       "a b\nx\n",
       "a  b\ny\n",
       "--- L1\n+++ L2\n@@ -1,2 +1,2 @@\n a b\n-x\n+y\n",
       1},
      {{"-iU0", "-F", "^f[a-z]*$", "--label=1", "--label=2"},
       "fn\n1\nA\nb\n",
       "fn\n1\na\nB2\n",
       "--- 1\n+++ 2\n@@ -4 +4 @@ fn\n-b\n+B2\n",
       1},
      {{"-B", "-s"}, "a\nb\n", "a\n\nb\n", "Files a and b are identical\n", 0},
      {{"-q"}, "a\n", "b\n", "Files a and b differ\n", 1},
      {{}, std::string("a\0\n", 3), "a\n", "Binary files a and b differ\n", 1},
  };
  for (const Case& c : cases) {
    const ProcessResult r = ralu_on(c.old_text, c.new_text, c.options);
    EXPECT_EQ(r.status, c.status) << c.out << r.err;
    EXPECT_EQ(r.out, c.out);
  }
  // A directory beside a file stands for the file of that name inside it.
  std::filesystem::create_directory(dir.root() / "in");
  write_file(dir.path("in/a"), "x\n");
  const ProcessResult r = run_ralu(dir, {"-q", "in", "a"});
  EXPECT_EQ(r.out, "Files in/a and a differ\n") << r.err;
}

TEST_F(RaluCli, EqualFilesWriteNothing) {
  for (const std::string text : {"", "a\nb", "same\n"}) {
    const ProcessResult r = ralu_on(text, text);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(RaluCli, HeaderTimeIsLocal) {
  if (const auto why = test_support::why_child_time_zone_cannot_be_set(); !why.empty()) {
    GTEST_SKIP() << why;
  }
  write_file(dir.path("a"), "x\n");
  write_file(dir.path("b"), "y\n");
  test_support::set_modification_time(dir.path("a"), 0, 0);
  test_support::set_modification_time(dir.path("b"), 0, 0);
  ProcessOptions options;
  options.extra_env = {"TZ=JST-9"};
  const ProcessResult r = run_ralu(dir, {"a", "b"}, options);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "--- a\t1970-01-01 09:00:00.000000000 +0900");
}

TEST_F(RaluCli, StandardInputIsTheDashAndNamesPrintAsGiven) {
  write_file(dir.path("a"), "x\n");
  std::filesystem::create_directory(dir.root() / "sub");
  write_file(dir.path("sub/b"), "y\n");
  ProcessOptions options;
  options.input = "x\n";
  ProcessResult r = run_ralu(dir, {"-", "a"}, options);
  EXPECT_EQ(r.status, 0) << r.err;
  // Named twice, standard input is one input, read once.
  r = run_ralu(dir, {"-", "-"}, options);
  EXPECT_EQ(r.status, 0) << r.err;
  r = run_ralu(dir, {"-", "sub/b", "--minimal"}, options);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(r.out.substr(0, 4), "--- ");
  EXPECT_NE(r.out.find("\n+++ sub/b\t"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\n-x\n+y\n"), std::string::npos) << r.out;
}

TEST_F(RaluCli, HelpAndVersion) {
  ProcessResult r = run_ralu(dir, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Usage: ralu [OPTION]... FILE1 FILE2");
  r = run_ralu(dir, {"--vers"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 5), "ralu ");
}

TEST_F(RaluCli, TroubleIsOneLineAndStatusTwo) {
  write_file(dir.path("a"), "x\n");
  std::filesystem::create_directory(dir.root() / "folder");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"missing", "a"}, "ralu: missing: No such file or directory\n"},
      {{"a", "missing"}, "ralu: missing: No such file or directory\n"},
      {{"a", "folder"}, "ralu: folder/a: No such file or directory\n"},
      {{"-", "folder"}, "ralu: cannot compare '-' to a directory; try 'ralu --help'\n"},
      {{"-j", "a", "a"}, "ralu: -j: unknown option; try 'ralu --help'\n"},
      {{"a", "a", "--bogus"}, "ralu: --bogus: unknown option; try 'ralu --help'\n"},
      {{"--ignore-t", "a", "a"},
       "ralu: --ignore-t: ambiguous option (--ignore-tab-expansion, --ignore-trailing-space); "
       "try 'ralu --help'\n"},
      {{"--min=yes", "a", "a"}, "ralu: --minimal: takes no value; try 'ralu --help'\n"},
      {{"-U", "x3", "a", "a"}, "ralu: -U: invalid context length 'x3'; try 'ralu --help'\n"},
      {{"a", "a", "--unified=+"},
       "ralu: --unified: invalid context length '+'; try 'ralu --help'\n"},
      {{"a", "a", "-U"}, "ralu: -U: missing value; try 'ralu --help'\n"},
      {{"a", "a", "--label"}, "ralu: --label: missing value; try 'ralu --help'\n"},
      {{"--label=1", "--label=2", "--label=3", "a", "a"},
       "ralu: --label: given more than twice; try 'ralu --help'\n"},
      {{"--color=sometimes", "a", "a"},
       "ralu: --color: invalid choice 'sometimes' (never, auto, always); try 'ralu --help'\n"},
      {{"a"}, "ralu: two files are needed; try 'ralu --help'\n"},
      {{"a", "a", "a"}, "ralu: two files are needed; try 'ralu --help'\n"},
      {{"--", "a", "-q"}, "ralu: -q: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = run_ralu(dir, c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.out, "") << c.err;
    EXPECT_EQ(r.err, c.err);
  }
}

TEST_F(RaluCli, UnreadableFileIsTrouble) {
  write_file(dir.path("a"), "x\n");
  write_file(dir.path("locked"), "y\n");
  if (const auto why = test_support::make_unreadable(dir.path("locked")); !why.empty()) {
    GTEST_SKIP() << why;
  }
  const ProcessResult r = run_ralu(dir, {"a", "locked"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ralu: locked: Permission denied\n");
}

}  // namespace

namespace {

// A report that cannot be written is trouble, not a difference.
TEST(RaluOutput, FullStandardOutputIsTrouble) {
  TempDir dir;
  write_file(dir.path("a"), "old\n");
  write_file(dir.path("b"), "new\n");
  ProcessOptions options;
  options.output_path = test_support::full_device_name();
  if (options.output_path.empty()) {
    GTEST_SKIP() << "no device here on which writes fail for want of space";
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"a", "b"}, {"--help"}, {"--version"}}) {
    const ProcessResult r = run_ralu(dir, args, options);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err, "ralu: standard output: No space left on device\n") << args[0];
  }
  // Equal files write nothing, so nothing is lost.
  write_file(dir.path("c"), "old\n");
  EXPECT_EQ(run_ralu(dir, {"a", "c"}, options).status, 0);
}

}  // namespace

namespace {

// Running out of memory is trouble like any other: a message and status 2,
// never an abort. The limit is set as a shell's "ulimit -v" sets it, on two
// inputs of a million lines that have none in common.
TEST(RaluOutput, MemoryExhaustionIsTrouble) {
  if (on_windows || test_support::address_sanitizer_active) {
    GTEST_SKIP() << "the address-space limit is POSIX's, and AddressSanitizer needs more of it "
                    "than any limit that fails ralu leaves";
  }
  TempDir dir;
  std::string old_text, new_text;
  for (int i = 0; i < 1'000'000; ++i) {
    old_text += "old line " + std::to_string(i) + "\n";
    new_text += "new line " + std::to_string(i) + "\n";
  }
  write_file(dir.path("a"), old_text);
  write_file(dir.path("b"), new_text);
#ifndef _WIN32
  const ProcessResult r = test_support::run_ralu_limited(dir, 60000, {"a", "b"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ralu: memory exhausted\n");
  EXPECT_EQ(r.out, "");
#endif
}

#ifdef _WIN32
// ralu with standard output into a pipe whose reading end is already closed,
// as after `ralu ... | head -3` once head has ended; standard error in a file.
ProcessResult ralu_into_closed_pipe(const TempDir& dir, const std::vector<std::string>& args) {
  using platform::win32::Handle;
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inheritable, 0)) return {};
  ::CloseHandle(read_end);
  const Handle output(write_end);
  const Handle input = platform::win32::open_inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
  const Handle error =
      platform::win32::open_inheritable(dir.path("err").c_str(), GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOA startup =
      platform::win32::startup_with_handles(input.get(), output.get(), error.get());
  const std::string ralu = std::filesystem::absolute(RALU_PATH).make_preferred().string();
  std::string line = platform::win32::command_line(ralu, args);
  const std::string folder = dir.root().string();
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(ralu.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        folder.c_str(), &startup, &started)) {
    return {};
  }
  ::CloseHandle(started.hThread);
  const Handle process(started.hProcess);
  ProcessResult result;
  if (const std::optional<DWORD> code = platform::win32::wait_for_exit(process.get())) {
    result.status = static_cast<int>(*code);
  }
  return result;
}

// A POSIX ralu ends by SIGPIPE there, without a word; so does this one, with
// the status of trouble, rather than blaming standard output for an error.
TEST(RaluCliOnWindows, AClosedPipeEndsRaluWithoutAWord) {
  TempDir dir;
  write_file(dir.path("old.txt"), numbered(1, 20000));
  write_file(dir.path("new.txt"), numbered(2, 20001));
  const std::vector<std::vector<std::string>> cases = {
      {"old.txt", "--help"},
      {"--version"},
      {"old.txt", "new.txt"},
      {"-y", "old.txt", "new.txt"},
  };
  for (const std::vector<std::string>& args : cases) {
    const ProcessResult r = ralu_into_closed_pipe(dir, args);
    const std::string shown = args.front() + " " + args.back();
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(test_support::read_file(dir.path("err")), "") << shown;
  }
}
#endif

}  // namespace
