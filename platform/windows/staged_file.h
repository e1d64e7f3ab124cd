// A file written under a name of its own in the folder where it belongs, that
// takes its final name only once it is complete, for the Windows layer.
#pragma once

#include <windows.h>

#include <string>

#include "platform/windows/win32.h"

namespace platform::win32 {

// Until publish() a file of the final name is untouched; a staged file that
// never takes its name is deleted when the object goes out of scope.
class StagedFile {
 public:
  // Creates the file, exclusively, in final_name's folder, with a handle that
  // a child process inherits. On failure handle() is invalid and error()
  // holds the system's error code.
  explicit StagedFile(std::string final_name);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  HANDLE handle() const { return file_.get(); }
  bool created() const { return !staged_name_.empty(); }
  DWORD error() const { return error_; }

  // Closes the file and gives it its final name, replacing a file of that
  // name. Returns 0, or the error of the failed move; the staged file is then
  // still deleted at the end.
  DWORD publish();

  // Deletes the staged file now; it never takes its final name.
  void discard();

 private:
  std::string final_name_;
  std::string staged_name_;
  Handle file_;
  DWORD error_ = ERROR_SUCCESS;
  bool published_ = false;
};

}  // namespace platform::win32
