#include "platform/directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

namespace platform {

namespace {

EntryKind kind_of(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::regular;
  if (S_ISDIR(mode)) return EntryKind::directory;
  if (S_ISLNK(mode)) return EntryKind::symbolic_link;
  if (S_ISFIFO(mode)) return EntryKind::fifo;
  if (S_ISSOCK(mode)) return EntryKind::socket;
  if (S_ISCHR(mode)) return EntryKind::character_device;
  if (S_ISBLK(mode)) return EntryKind::block_device;
  return EntryKind::other;
}

struct DirectoryCloser {
  void operator()(DIR* directory) const { ::closedir(directory); }
};

EntryStatus entry_of(const struct stat& status) {
  EntryStatus entry;
  entry.kind = kind_of(status.st_mode);
  entry.size = static_cast<std::uint64_t>(status.st_size);
  entry.device = static_cast<std::uint64_t>(status.st_dev);
  entry.inode = static_cast<std::uint64_t>(status.st_ino);
  entry.modified = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                   static_cast<std::int64_t>(status.st_mtim.tv_nsec);
  entry.preferred_block = status.st_blksize > 0 ? static_cast<std::uint64_t>(status.st_blksize) : 0;
  return entry;
}

// The kind the folder's own records give a name. Not every file system
// keeps one (d_type is then DT_UNKNOWN), and the rarer kinds are left to a
// status query, which tells them apart as a walk needs.
ListedKind listed_kind(const dirent& entry) {
#ifdef _DIRENT_HAVE_D_TYPE
  switch (entry.d_type) {
    case DT_REG:
      return ListedKind::regular;
    case DT_DIR:
      return ListedKind::directory;
    case DT_LNK:
      return ListedKind::symbolic_link;
    default:
      return ListedKind::unknown;
  }
#else
  static_cast<void>(entry);
  return ListedKind::unknown;
#endif
}

}  // namespace

std::optional<EntryStatus> entry_status(const char* path, bool follow_links, std::string& failure) {
  struct stat status {};
  if ((follow_links ? ::stat(path, &status) : ::lstat(path, &status)) != 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  return entry_of(status);
}

std::optional<EntryStatus> standard_input_status(std::string& failure) {
  struct stat status {};
  if (::fstat(STDIN_FILENO, &status) != 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  return entry_of(status);
}

std::optional<std::string> link_target(const char* path, std::string& failure) {
  // The link's length is not known before it is read: a buffer that comes
  // back full may have cut the target short, so it is read again, larger.
  std::string target(256, '\0');
  for (;;) {
    const ssize_t length = ::readlink(path, target.data(), target.size());
    if (length < 0) {
      failure = std::strerror(errno);
      return std::nullopt;
    }
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    target.resize(target.size() * 2);
  }
}

std::optional<std::vector<ListedName>> directory_names(const char* path, std::string& failure) {
  const std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(path));
  if (!directory) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  std::vector<ListedName> names;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(directory.get());
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.push_back({std::string(name), listed_kind(*entry)});
  }
  if (errno != 0) {
    failure = std::strerror(errno);
    return std::nullopt;
  }
  return names;
}

}  // namespace platform
