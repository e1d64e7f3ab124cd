// A scratch folder for one test, removed with everything in it afterwards,
// and small helpers to write and read whole files as bytes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace test_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The full name of a file in the folder; name may hold '/' and any bytes.
  std::string path(const std::string& name) const;

 private:
  std::filesystem::path root_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
bool file_exists(const std::string& path);
// Makes a folder of these bytes, as the C runtime names it (in the ANSI code
// page on Windows, where std::filesystem would read the name otherwise).
void make_folder(const std::string& path);
// The names of everything in a folder, sorted; for names of ASCII bytes.
std::vector<std::string> names_in(const std::filesystem::path& folder);
// Sets a file's modification time, in seconds and nanoseconds since 1970 UTC.
void set_modification_time(const std::string& path, long long seconds, long nanoseconds);

}  // namespace test_support
