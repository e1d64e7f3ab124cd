#include "ralu/pair/verdicts.h"

namespace ralu {

const char* entry_kind_name(const platform::EntryStatus& status) {
  switch (status.kind) {
    case platform::EntryKind::regular:
      return status.size == 0 ? "regular empty file" : "regular file";
    case platform::EntryKind::directory:
      return "directory";
    case platform::EntryKind::symbolic_link:
      return "symbolic link";
    case platform::EntryKind::fifo:
      return "fifo";
    case platform::EntryKind::socket:
      return "socket";
    case platform::EntryKind::character_device:
      return "character special file";
    case platform::EntryKind::block_device:
      return "block special file";
    case platform::EntryKind::other:
      break;
  }
  return "weird file";
}

std::string verdict_line(Verdict verdict, std::string_view a, std::string_view b) {
  std::string line = verdict == Verdict::binary_differ ? "Binary files " : "Files ";
  line += a;
  line += " and ";
  line += b;
  line += verdict == Verdict::identical ? " are identical\n" : " differ\n";
  return line;
}

const std::string& shown_name(std::span<const std::string> labels, std::size_t side,
                              const std::string& path) {
  return side < labels.size() ? labels[side] : path;
}

}  // namespace ralu
