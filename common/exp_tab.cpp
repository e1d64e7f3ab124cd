// exp_tab: tabs to blanks within a fixed number of columns.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/common.h"

namespace common {

namespace {

char expanded[exp_tab_columns + 1];

// Places the blanks of one tab, up to the last column. A tab fits only when its
// stop lies before the last column: one that reaches it does not, even when
// nothing follows.
bool put_tab(std::int64_t& column, std::int64_t stop_distance) {
  const std::int64_t stop = column + stop_distance - column % stop_distance;
  const std::int64_t end = std::min<std::int64_t>(stop, exp_tab_columns);
  std::memset(expanded + column, ' ', static_cast<std::size_t>(end - column));
  column = end;
  return column < exp_tab_columns;
}

bool put_byte(std::int64_t& column, char byte) {
  if (column == exp_tab_columns) return false;
  expanded[column++] = byte;
  return true;
}

}  // namespace

const char* try_exp_tab(std::int32_t width, const char* text) {
  // A width below 1 has no next stop; the narrowest real one stands in.
  const std::int64_t stop_distance = std::max<std::int32_t>(width, 1);
  std::int64_t column = 0;
  bool fits = true;
  for (const char* p = text; fits && *p != '\0'; ++p) {
    fits = *p == '\t' ? put_tab(column, stop_distance) : put_byte(column, *p);
  }
  expanded[column] = '\0';
  return fits ? expanded : nullptr;
}

const char* exp_tab(std::int32_t width, const char* text) {
  const char* result = try_exp_tab(width, text);
  if (result == nullptr) {
    std::printf("%s ... too long\n", text);
    std::exit(1);
  }
  return result;
}

}  // namespace common
