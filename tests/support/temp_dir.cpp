#include "tests/support/temp_dir.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#endif

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

namespace test_support {

// A new folder with a random name; create_directory says false when the name
// is taken, so two tests never share one.
TempDir::TempDir() {
  static std::mt19937_64 random_names{std::random_device{}()};
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("kevo-test-" + std::to_string(random_names()));
    if (std::filesystem::create_directory(candidate)) {
      root_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder in " + base.string());
}

// Names are joined as bytes: std::filesystem would read them in another
// encoding than the C runtime does on Windows, and Shift-JIS names must stay
// as they are.
std::string TempDir::path(const std::string& name) const { return root_.string() + "/" + name; }

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(root_, ignored);
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

void make_folder(const std::string& path) {
#ifdef _WIN32
  const int made = ::_mkdir(path.c_str());
#else
  const int made = ::mkdir(path.c_str(), 0777);
#endif
  if (made != 0) throw std::runtime_error("cannot make the folder " + path);
}

std::vector<std::string> names_in(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace test_support
