#include "platform/posix/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
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

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
  if (file_ && !published_) ::unlink(staged_path_.c_str());
  file_.reset();
}

int StagedFile::publish() {
  if (!file_) return EBADF;
  struct stat replaced {};
  if (::lstat(final_path_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode)) {
    // The group first: changing it may clear bits that fchmod then sets.
    // A group this user is not in is refused; the report is written all the
    // same, with what could be kept.
    [[maybe_unused]] const int group_kept =
        ::fchown(file_->get(), static_cast<uid_t>(-1), replaced.st_gid);
    [[maybe_unused]] const int bits_kept = ::fchmod(file_->get(), replaced.st_mode & 0777);
  }
  if (std::rename(staged_path_.c_str(), final_path_.c_str()) != 0) return errno;
  published_ = true;
  return 0;
}

}  // namespace platform::posix
