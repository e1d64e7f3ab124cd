#include "platform/posix/staged_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/staging_name.h"

namespace platform::posix {

namespace {

// Creation tries this many fresh names before it gives up on clashes.
constexpr int creation_attempts = 100;

// The folder part of a path with its final slash; empty for a bare name,
// which lies in the current folder.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

StagedFile::StagedFile(std::string final_path) : final_path_(std::move(final_path)) {
  const std::string folder = folder_of(final_path_);
  for (int attempt = 0; attempt < creation_attempts; ++attempt) {
    std::string candidate = folder + staging_file_name();
    // Not mkstemp, whose files are private (0600): the umask alone decides.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      file_.emplace(fd);
      staged_path_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) break;
  }
  error_ = errno;
}

StagedFile::~StagedFile() {
  if (file_ && !published_) ::unlink(staged_path_.c_str());
}

int StagedFile::publish() {
  if (std::rename(staged_path_.c_str(), final_path_.c_str()) != 0) return errno;
  published_ = true;
  return 0;
}

}  // namespace platform::posix
