// A named pipe that another thread of the test feeds, for commands that read
// a pipe by name.
#pragma once

#include <string>
#include <thread>

namespace test_support {

class FedPipe {
 public:
  // Makes a named pipe and feeds it content in small pieces, so that its one
  // reader sees reads that return less than asked for before the pipe really
  // ends. On POSIX the pipe is a FIFO at path; on Windows, where named pipes
  // live under \\.\pipe\ and not among a folder's files, a fresh name there.
  FedPipe(const std::string& path, std::string content);
  // Waits until the feeding has ended: the reader must have opened the pipe.
  ~FedPipe();
  FedPipe(const FedPipe&) = delete;
  FedPipe& operator=(const FedPipe&) = delete;

  // The name a reader opens, or empty when no pipe could be made; then
  // why_not() says why.
  const std::string& name() const { return name_; }
  const std::string& why_not() const { return why_not_; }

 private:
  std::string name_;
  std::string why_not_;
  std::thread feeder_;
};

}  // namespace test_support
