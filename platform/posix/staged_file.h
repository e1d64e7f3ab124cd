// A file written under a name of its own in the folder where it belongs, that
// takes its final name only once it is complete, for the POSIX layer.
#pragma once

#include <optional>
#include <string>

#include "platform/posix/descriptor.h"

namespace platform::posix {

// Until publish() a file of the final name is untouched; a staged file that
// never takes its name is removed when the object goes out of scope.
class StagedFile {
 public:
  // Creates the file, exclusively, in final_path's folder. Its permissions are
  // those of any file created for writing: 0666 less the umask. On failure
  // descriptor() is negative and error() holds the errno.
  explicit StagedFile(std::string final_path);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  int descriptor() const { return file_ ? file_->get() : -1; }
  int error() const { return error_; }

  // Gives the file its final name, replacing a file of that name in one step.
  // A regular file it replaces hands on its permission bits, and its group
  // where this user may set it, so that a private report stays private; a
  // link is replaced as the link, and the file keeps a new file's
  // permissions. Returns 0, or the errno of the failed rename; the staged
  // file is then still removed at the end.
  int publish();

  // Removes the staged file now; it never takes its final name.
  void discard();

 private:
  std::string final_path_;
  std::string staged_path_;
  std::optional<Descriptor> file_;
  int error_ = 0;
  bool published_ = false;
};

}  // namespace platform::posix
