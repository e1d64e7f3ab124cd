// SetParam: takes the next quoted string, bracketed group or bare word from a
// parameter string, counting its limit in characters.
#include "common/common.h"
#include "common/shift_jis.h"

namespace common {

namespace {

bool ends_bare_word(unsigned char byte) {
  return byte == '=' || byte == ' ' || byte == '\t' || byte == '\0';
}

// Copies one character, both bytes of a double-byte one, and moves past it.
void take_character(const unsigned char*& position, unsigned char*& out) {
  if (shift_jis::is_scanning_lead(position[0]) && position[1] != '\0') *out++ = *position++;
  *out++ = *position++;
}

// Units of the limit left. Held wider than the 32-bit limit so that counting
// down from the smallest limit cannot overflow.
class Budget {
 public:
  explicit Budget(std::int32_t limit) : left_(limit) {}
  // Uses up one unit; true while one remains to take a character with.
  bool spend() { return --left_ > 0; }

 private:
  std::int64_t left_;
};

}  // namespace

const unsigned char* SetParam(const unsigned char* source, unsigned char* destination,
                              std::int32_t limit) {
  const unsigned char* position = source;
  unsigned char* out = destination;
  Budget budget(limit);

  while (*position == ' ' || *position == '\t') ++position;

  if (*position == '"') {
    ++position;
    while (budget.spend() && *position != '"' && *position != '\0') take_character(position, out);
  } else if (*position == '[') {
    budget.spend();  // holds room for the byte appended after the loop
    while (budget.spend() && *position != ']' && *position != '\0') {
      take_character(position, out);
    }
    // The closing bracket, the terminator, or the first byte where the limit
    // ran out; the position stays on it.
    *out++ = *position;
  } else {
    while (budget.spend() && !ends_bare_word(*position)) take_character(position, out);
  }

  *out = '\0';
  return position;
}

const char* SetParam(const char* source, char* destination, std::int32_t limit) {
  const auto* stop = SetParam(reinterpret_cast<const unsigned char*>(source),
                              reinterpret_cast<unsigned char*>(destination), limit);
  return reinterpret_cast<const char*>(stop);
}

}  // namespace common
