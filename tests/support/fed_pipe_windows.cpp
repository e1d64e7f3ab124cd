// FedPipe on Windows: a named pipe under \\.\pipe\, served by this process.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "platform/windows/win32.h"
#include "tests/support/fed_pipe.h"

namespace test_support {

namespace {

using platform::win32::Handle;

constexpr DWORD piece = 100;

std::string fresh_pipe_name() {
  static std::atomic<int> made{0};
  return "\\\\.\\pipe\\kevo-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(made++);
}

void feed(const Handle& pipe, const std::string& content) {
  if (!::ConnectNamedPipe(pipe.get(), nullptr) && ::GetLastError() != ERROR_PIPE_CONNECTED) return;
  for (std::size_t at = 0; at < content.size(); at += piece) {
    const DWORD count = static_cast<DWORD>(std::min<std::size_t>(piece, content.size() - at));
    DWORD written = 0;
    if (!::WriteFile(pipe.get(), content.data() + at, count, &written, nullptr)) return;
    if (at % 5000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // Closing the pipe would drop what the reader has not read yet.
  ::FlushFileBuffers(pipe.get());
}

}  // namespace

FedPipe::FedPipe(const std::string&, std::string content) {
  const std::string name = fresh_pipe_name();
  Handle pipe(::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 64 * 1024, 64 * 1024, 0, nullptr));
  if (!pipe.valid()) {
    why_not_ = "cannot make a named pipe: " + platform::win32::system_message(::GetLastError());
    return;
  }
  name_ = name;
  feeder_ =
      std::thread([pipe = std::move(pipe), content = std::move(content)] { feed(pipe, content); });
}

FedPipe::~FedPipe() {
  if (feeder_.joinable()) feeder_.join();
}

}  // namespace test_support
