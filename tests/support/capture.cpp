// Captures through the C runtime's descriptors, which both POSIX systems and
// Windows have.
#include "tests/support/capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

#include "tests/support/system.h"

namespace test_support {

CaptureStream::CaptureStream(std::FILE* stream) : stream_(stream) {
  std::fflush(stream_);
  file_ = std::tmpfile();
  saved_fd_ = ::dup(::fileno(stream_));
  if (file_ == nullptr || saved_fd_ < 0) throw std::runtime_error("cannot capture stream");
  ::dup2(::fileno(file_), ::fileno(stream_));
}

CaptureStream::~CaptureStream() { finish(); }

std::string CaptureStream::finish() {
  if (saved_fd_ < 0) return text_;
  std::fflush(stream_);
  ::dup2(saved_fd_, ::fileno(stream_));
  ::close(saved_fd_);
  saved_fd_ = -1;
  std::rewind(file_);
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text_.append(buffer, count);
  std::fclose(file_);
  file_ = nullptr;
  text_ = fold_line_ends(text_);
  return text_;
}

void show_only_stdout_on_stderr() {
  std::fflush(stdout);
  std::fflush(stderr);
  const int null_device = ::open(discarding_device_name().c_str(), O_WRONLY);
  if (null_device < 0 || ::dup2(::fileno(stderr), ::fileno(stdout)) < 0 ||
      ::dup2(null_device, ::fileno(stderr)) < 0) {
    throw std::runtime_error("cannot redirect standard output");
  }
  ::close(null_device);
}

}  // namespace test_support
