// FedPipe on POSIX systems: a FIFO.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "tests/support/fed_pipe.h"

namespace test_support {

namespace {

constexpr std::size_t piece = 100;

void feed(const std::string& path, const std::string& content) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return;
  for (std::size_t at = 0; at < content.size(); at += piece) {
    const std::size_t count = std::min(piece, content.size() - at);
    if (::write(fd, content.data() + at, count) < 0) break;
    if (at % 5000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::close(fd);
}

}  // namespace

FedPipe::FedPipe(const std::string& path, std::string content) {
  ::unlink(path.c_str());
  if (::mkfifo(path.c_str(), 0600) != 0) {
    why_not_ = "cannot make a named pipe: " + std::string(std::strerror(errno));
    return;
  }
  name_ = path;
  feeder_ = std::thread([path, content = std::move(content)] { feed(path, content); });
}

FedPipe::~FedPipe() {
  if (feeder_.joinable()) feeder_.join();
}

}  // namespace test_support
