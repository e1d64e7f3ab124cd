#include "ralu/classes.h"

#include <bit>
#include <cstring>
#include <string_view>

namespace ralu {

namespace {

// A power of two, like every size of the table: a slot is a hash masked to it.
constexpr std::size_t initial_slots = 1024;
// The slot table grows when it is this full. Probing is cheap, as it reads
// consecutive slots that hold their class's hash, so the table can be fuller
// than usual for linear probing and take less memory.
constexpr std::size_t max_load_percent = 80;
// Hashes this many lines ahead and asks for their slots early: on large
// inputs nearly every slot lookup is a cache miss, and this hides most of it.
constexpr std::size_t prefetch_distance = 8;

constexpr std::uint64_t mix_multiplier = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t final_multiplier = 0xFF51AFD7ED558CCDULL;

template <class Word>
Word load(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The last `left` bytes of a line, 0 < left < 8, as one word. Loads may
// overlap: any fixed function of the bytes will do, as the length is hashed
// too, and whole loads are much faster than a loop over single bytes.
std::uint64_t tail_word(const char* line_start, const char* at, std::size_t left) {
  if (at - line_start >= 8) return load<std::uint64_t>(at + left - 8);  // bytes before at, too
  if (left >= 4) {
    return load<std::uint32_t>(at) | std::uint64_t{load<std::uint32_t>(at + left - 4)} << 32;
  }
  return static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[left / 2]) << 8 |
         static_cast<unsigned char>(at[left - 1]) << 16;
}

// A fast hash of a line's bytes, eight at a time.
std::uint32_t hash_line(std::string_view line) {
  const char* at = line.data();
  std::size_t left = line.size();
  std::uint64_t hash = line.size() * mix_multiplier;
  for (; left >= 8; at += 8, left -= 8) {
    hash = std::rotl((hash ^ load<std::uint64_t>(at)) * mix_multiplier, 29);
  }
  if (left > 0) hash = std::rotl((hash ^ tail_word(line.data(), at, left)) * mix_multiplier, 29);
  hash ^= hash >> 32;
  hash *= final_multiplier;
  hash ^= hash >> 29;
  return static_cast<std::uint32_t>(hash);
}

// A line by which a class is recognised: the top bit tells the input (set for
// the new one), the rest is the line's number in it.
constexpr std::uint32_t new_side_bit = std::uint32_t{1} << 31;

class ClassTable {
 public:
  ClassTable(const LineTable& old_lines, const LineTable& new_lines)
      : old_lines_(old_lines), new_lines_(new_lines), slots_(initial_slots, 0) {}

  // The class of a line with the given hash; a new one, represented by the
  // line `reference` (see new_side_bit), when no equal line came before.
  std::uint32_t class_of(std::string_view line, std::uint32_t hash, std::uint32_t reference,
                         Presence side) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const std::uint64_t taken = slots_[slot];
      if (taken == 0) return add_class(slot, hash, reference, side);
      if (static_cast<std::uint32_t>(taken >> 32) != hash) continue;
      const auto id = static_cast<std::uint32_t>(taken) - 1;
      if (representative(references_[id]) == line) {
        presence_[id] |= side;
        return id;
      }
    }
  }

  void prefetch([[maybe_unused]] std::uint32_t hash) const {
#if defined(__GNUC__)
    __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
#endif
  }

  std::vector<std::uint8_t> take_presence() { return std::move(presence_); }

 private:
  std::string_view representative(std::uint32_t reference) const {
    return (reference & new_side_bit) != 0 ? new_lines_.line(reference & ~new_side_bit)
                                           : old_lines_.line(reference);
  }

  std::uint32_t add_class(std::size_t slot, std::uint32_t hash, std::uint32_t reference,
                          Presence side) {
    const auto id = static_cast<std::uint32_t>(references_.size());
    references_.push_back(reference);
    presence_.push_back(side);
    slots_[slot] = std::uint64_t{hash} << 32 | (id + 1);
    if (references_.size() * 100 > slots_.size() * max_load_percent) grow();
    return id;
  }

  void grow() {
    std::vector<std::uint64_t> larger(slots_.size() * 2, 0);
    const std::size_t mask = larger.size() - 1;
    for (const std::uint64_t taken : slots_) {
      if (taken == 0) continue;
      std::size_t slot = (taken >> 32) & mask;
      while (larger[slot] != 0) slot = (slot + 1) & mask;
      larger[slot] = taken;
    }
    slots_ = std::move(larger);
  }

  const LineTable& old_lines_;
  const LineTable& new_lines_;
  // A slot holds a class's hash in its upper half, so that probing past other
  // classes touches nothing else, and its number + 1 in the lower; 0 is free.
  std::vector<std::uint64_t> slots_;
  std::vector<std::uint32_t> references_;  // per class, its first line
  std::vector<std::uint8_t> presence_;     // per class
};

std::vector<std::uint32_t> classify_range(ClassTable& table, const LineRange& range,
                                          Presence side) {
  const std::uint32_t side_bit = side == in_new ? new_side_bit : 0;
  const std::size_t count = range.end - range.begin;
  std::vector<std::uint32_t> ids(count);
  // Hashes travel through ids ahead of the line they belong to, which then
  // overwrites its own entry with its class.
  const std::size_t warm = std::min(count, prefetch_distance);
  for (std::size_t i = 0; i < warm; ++i) {
    ids[i] = hash_line(range.table.line(range.begin + i));
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (i + prefetch_distance < count) {
      const std::uint32_t ahead = hash_line(range.table.line(range.begin + i + prefetch_distance));
      ids[i + prefetch_distance] = ahead;
      table.prefetch(ahead);
    }
    const std::size_t number = range.begin + i;
    ids[i] = table.class_of(range.table.line(number), ids[i],
                            static_cast<std::uint32_t>(number) | side_bit, side);
  }
  return ids;
}

}  // namespace

LineClasses classify_lines(const LineRange& old_range, const LineRange& new_range) {
  ClassTable table(old_range.table, new_range.table);
  LineClasses classes;
  classes.old_ids = classify_range(table, old_range, in_old);
  classes.new_ids = classify_range(table, new_range, in_new);
  classes.presence = table.take_presence();
  return classes;
}

}  // namespace ralu
