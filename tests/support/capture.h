// Captures what the process itself writes to standard output or standard
// error while a piece of a test runs, by pointing the descriptor at a file.
#pragma once

#include <cstdio>
#include <string>

namespace test_support {

class CaptureStream {
 public:
  explicit CaptureStream(std::FILE* stream);  // stdout or stderr
  ~CaptureStream();
  CaptureStream(const CaptureStream&) = delete;
  CaptureStream& operator=(const CaptureStream&) = delete;

  // Stops capturing and returns the bytes written meanwhile.
  std::string finish();

 private:
  std::FILE* stream_;
  int saved_fd_ = -1;
  std::FILE* file_ = nullptr;
  std::string text_;
};

// From now on, what this process writes to standard output goes where standard
// error went, and what it writes to standard error is dropped. For death
// tests, which see only the child's standard error.
void show_only_stdout_on_stderr();

}  // namespace test_support
