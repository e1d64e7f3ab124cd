#include "platform/windows/staged_file.h"

#include "platform/staging_name.h"
#include "platform/windows/path_separators.h"

namespace platform::win32 {

namespace {

// Creation tries this many fresh names before it gives up on clashes.
constexpr int creation_attempts = 100;

// The folder part of a name with its final separator, a backslash or a slash,
// never the 0x5C that ends a double-byte character. A name on a drive's
// current folder ("C:x") keeps its drive; a bare name, which lies in the
// current folder, has none.
std::string folder_of(const std::string& name) {
  const std::size_t separator = last_separator(name);
  if (separator != std::string::npos) return name.substr(0, separator + 1);
  if (name.size() >= 2 && name[1] == ':') return name.substr(0, 2);
  return {};
}

bool is_clash(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

}  // namespace

StagedFile::StagedFile(std::string final_name) : final_name_(std::move(final_name)) {
  const std::string folder = folder_of(final_name_);
  for (int attempt = 0; attempt < creation_attempts; ++attempt) {
    std::string candidate = folder + staging_file_name();
    file_ = open_inheritable(candidate.c_str(), GENERIC_WRITE, CREATE_NEW);
    if (file_.valid()) {
      staged_name_ = std::move(candidate);
      return;
    }
    error_ = ::GetLastError();
    if (!is_clash(error_)) return;
  }
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
  file_.reset();
  if (created() && !published_) ::DeleteFileA(staged_name_.c_str());
  staged_name_.clear();
}

DWORD StagedFile::publish() {
  if (!created()) return ERROR_INVALID_HANDLE;
  file_.reset();
  if (!::MoveFileExA(staged_name_.c_str(), final_name_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return ::GetLastError();
  }
  published_ = true;
  return ERROR_SUCCESS;
}

}  // namespace platform::win32
