// Paths as Shift-JIS byte strings with the backslash as separator: the
// extension of a name, splitting off the wildcard part, ordering file lists.
#include <cstddef>
#include <cstring>

#include "common/common.h"
#include "common/shift_jis.h"

namespace common {

namespace {

std::size_t separator_count(const char* path) {
  std::size_t count = 0;
  shift_jis::scan_units(path, [&count](const char* at) {
    if (*at == '\\') ++count;
    return false;
  });
  return count;
}

// The path of the entry that a qsort array element points to. The pointers
// are copied out bytewise, as the entry type is the caller's own.
const char* path_of_element(const void* element) {
  const void* entry = nullptr;
  std::memcpy(&entry, element, sizeof entry);
  const char* path = nullptr;
  std::memcpy(&path, entry, sizeof path);
  return path;
}

}  // namespace

// '.' never occurs as a trail byte, so the dot is looked for byte by byte.
const char* findExt(const char* path) {
  const char* separator = Strrchr(path, '\\');
  const char* name = separator != nullptr ? separator + 1 : path;
  for (const char* at = name + std::strlen(name); at != name;) {
    --at;
    if (*at == '.') return at;
  }
  return nullptr;
}

int sepname(char* path, char* head, char* tail) {
  // '*' and '?' never occur as trail bytes, so the wildcard found byte by byte
  // starts a unit and the unit scan for the separator may begin there.
  char* wildcard = srch_wild(path);
  char* separator = Strchr(wildcard != nullptr ? wildcard : path + std::strlen(path), '\\');
  const char* rest = "";
  if (separator != nullptr) {
    *separator = '\0';
    rest = separator + 1;
  }
  // head and tail hold strlen(path) + 1 bytes each; neither copy is longer than path.
  std::strcpy(head, path);  // NOLINT(clang-analyzer-security.insecureAPI.strcpy)
  std::strcpy(tail, rest);  // NOLINT(clang-analyzer-security.insecureAPI.strcpy)
  return 0;
}

int comp_file(const void* a, const void* b) {
  const char* path_a = path_of_element(a);
  const char* path_b = path_of_element(b);
  const std::size_t depth_a = separator_count(path_a);
  const std::size_t depth_b = separator_count(path_b);
  if (depth_a != depth_b) return depth_a < depth_b ? -1 : 1;
  return StrCmp(path_a, path_b);
}

}  // namespace common
