#include "ralu/lines.h"

#include <algorithm>
#include <cstring>

namespace ralu {

platform::ReadOutcome read_input(const char* name) {
  if (std::strcmp(name, "-") == 0) return platform::read_standard_input();
  return platform::read_whole_file(name);
}

LineTable::LineTable(std::string bytes) : bytes_(std::move(bytes)) {
  const char* const begin = bytes_.data();
  const char* const end = begin + bytes_.size();
  // Counting first sizes the table exactly: it is the largest thing kept per
  // line, and growing it by doubling would waste up to half of it.
  const auto line_ends = static_cast<std::size_t>(std::count(begin, end, '\n'));
  const bool unended_last_line = !bytes_.empty() && bytes_.back() != '\n';
  starts_.reserve(line_ends + (unended_last_line ? 1 : 0) + 1);

  starts_.push_back(0);
  const char* at = begin;
  while (const void* found = std::memchr(at, '\n', static_cast<std::size_t>(end - at))) {
    at = static_cast<const char*>(found) + 1;
    starts_.push_back(static_cast<std::size_t>(at - begin));
  }
  if (unended_last_line) starts_.push_back(bytes_.size());
}

}  // namespace ralu
