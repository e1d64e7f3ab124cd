// Walking folders: the names a folder holds, and what each name is. Tree
// comparison needs both, and the identity of a folder to tell when a link
// leads back into a folder already being walked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class EntryKind {
  regular,
  directory,
  symbolic_link,  // only when links are not followed
  fifo,
  socket,
  character_device,
  block_device,
  other,
};

struct EntryStatus {
  EntryKind kind = EntryKind::other;
  std::uint64_t size = 0;
  // Which file this is on this machine (device and inode, or volume and file
  // index): two names with the same identity name one file.
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  // When the contents were last modified, in the system's own units
  // (nanoseconds or 100-nanosecond ticks since its epoch): what
  // InputFile::open_known turns into the time a report shows.
  std::int64_t modified = 0;
  // The block the system prefers a file be read in (0 where it names none):
  // what the first read of an input takes, to tell a binary one.
  std::uint64_t preferred_block = 0;

  bool same_file(const EntryStatus& other) const {
    return device == other.device && inode == other.inode;
  }
};

// What `path` names, following symbolic links when `follow_links` is set; or
// nothing, with the system's reason in `failure` (a dangling link followed
// fails so).
std::optional<EntryStatus> entry_status(const char* path, bool follow_links, std::string& failure);

// What standard input is, as entry_status tells a name.
std::optional<EntryStatus> standard_input_status(std::string& failure);

// What the symbolic link `path` holds, the path it leads to as written; or
// nothing, with the system's reason in `failure`.
std::optional<std::string> link_target(const char* path, std::string& failure);

// What a folder's listing says a name is, where the system tells it without
// a status query of the name. A tree walk trusts it only as a hint: the entry
// may change before it is opened.
enum class ListedKind : unsigned char {
  unknown,  // the listing does not say (or says something rarer)
  regular,
  directory,
  symbolic_link,
};

struct ListedName {
  std::string name;
  ListedKind kind = ListedKind::unknown;
};

// The names the folder `path` holds, "." and ".." left out, in the order the
// system gives them, each with what the listing says it is; or nothing, with
// the system's reason in `failure`.
std::optional<std::vector<ListedName>> directory_names(const char* path, std::string& failure);

}  // namespace platform
