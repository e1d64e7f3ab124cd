// The system facts of test_support on POSIX systems.
#include <fcntl.h>
#include <iconv.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/system.h"
#include "tests/support/temp_dir.h"

namespace test_support {

bool directories_open_for_reading() { return true; }

std::string fold_line_ends(std::string text) { return text; }

std::string why_shift_jis_names_cannot_work() { return {}; }

bool file_names_may_hold(const std::string& name) {
  return name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

std::string make_unreadable(const std::string& path) {
  if (::geteuid() == 0) return "permissions do not stop root from reading";
  if (::chmod(path.c_str(), 0) != 0) return "cannot change the permissions of " + path;
  return {};
}

OrdinaryUser ordinary_user() {
  OrdinaryUser user;
  if (::geteuid() != 0) return user;
  const passwd* nobody = ::getpwnam("nobody");
  const std::string setpriv = "/usr/bin/setpriv";
  if (nobody == nullptr || ::access(setpriv.c_str(), X_OK) != 0) {
    user.why_not = "running as root, whom permissions do not stop, with no user nobody and " +
                   setpriv + " to run as an ordinary user";
    return user;
  }
  user.uid = nobody->pw_uid;
  user.gid = nobody->pw_gid;
  user.runner = {setpriv, "--reuid=" + std::to_string(user.uid),
                 "--regid=" + std::to_string(user.gid), "--clear-groups", "--"};
  return user;
}

void give_to(const OrdinaryUser& user, const std::string& path, unsigned mode) {
  if ((user.uid >= 0 || user.gid >= 0) &&
      ::lchown(path.c_str(), static_cast<uid_t>(user.uid), static_cast<gid_t>(user.gid)) != 0) {
    throw std::runtime_error("cannot give " + path + " to user " + std::to_string(user.uid));
  }
  if (::chmod(path.c_str(), mode) != 0) {
    throw std::runtime_error("cannot change the permissions of " + path);
  }
}

long long permission_bits_of(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : -1;
}

long long group_of(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 ? status.st_gid : -1;
}

std::string null_device_name() { return "/dev/null"; }

void set_modification_time(const std::string& path, long long seconds, long nanoseconds) {
  const timespec times[2] = {{static_cast<time_t>(seconds), nanoseconds},
                             {static_cast<time_t>(seconds), nanoseconds}};
  if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
    throw std::runtime_error("cannot set the time of " + path);
  }
}

std::string why_child_time_zone_cannot_be_set() { return {}; }

ExclusiveHold::ExclusiveHold(const std::string&)
    : why_not_("POSIX files have no lock that keeps other openers out") {}

ExclusiveHold::~ExclusiveHold() = default;

std::string endless_device_name() { return "/dev/zero"; }

std::string discarding_device_name() { return "/dev/null"; }

std::string full_device_name() { return "/dev/full"; }

char path_separator() { return '/'; }

bool help_follows_the_locale() { return true; }

std::string path_variable(const std::vector<std::string>& folders) {
  std::string entry = "PATH=";
  for (std::size_t i = 0; i < folders.size(); ++i) entry += (i > 0 ? ":" : "") + folders[i];
  return entry;
}

std::string missing_folder_reason() { return std::strerror(ENOENT); }

std::string not_a_folder_reason() { return std::strerror(ENOTDIR); }

std::string why_long_names_cannot_work() { return {}; }

std::string cp932_to_utf8(const std::string& bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  // (iconv_t)-1 is how iconv_open says it failed.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  if (converter == reinterpret_cast<iconv_t>(-1)) return "<no CP932 converter>";
  std::string in = bytes;
  std::string out(in.size() * 4, '\0');
  char* in_at = in.data();
  char* out_at = out.data();
  std::size_t in_left = in.size();
  std::size_t out_left = out.size();
  const std::size_t done = iconv(converter, &in_at, &in_left, &out_at, &out_left);
  iconv_close(converter);
  if (done == static_cast<std::size_t>(-1)) return "<invalid CP932>";
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace test_support
