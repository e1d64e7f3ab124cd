// The lines that say how two files relate without showing their lines, and
// the names they give the files.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "platform/directory.h"

namespace ralu {

enum class Verdict {
  differ,         // "Files A and B differ"
  binary_differ,  // "Binary files A and B differ"
  identical,      // "Files A and B are identical"
};

// What a file is, in the words of "File A is a regular file while file B
// is a directory".
const char* entry_kind_name(const platform::EntryStatus& status);

// The whole line, line end included.
std::string verdict_line(Verdict verdict, std::string_view a, std::string_view b);

// The name such a line gives the file on `side` (0 or 1): its --label, when
// one was given for that side, or its path.
const std::string& shown_name(std::span<const std::string> labels, std::size_t side,
                              const std::string& path);

}  // namespace ralu
