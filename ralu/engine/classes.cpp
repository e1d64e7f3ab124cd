#include "ralu/engine/classes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <map>
#include <random>
#include <span>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ralu {

namespace {

// A power of two, like every size of the table: a slot is a hash masked to it.
constexpr std::size_t initial_slots = 1024;
// Up to this many lines the table starts as large as their classes could
// make it, and never grows: its zeros cost less than moving every class a
// few times over. Larger inputs, whose lines may be few distinct ones (a
// log), start small and grow as their classes come.
constexpr std::size_t lines_sized_at_once = std::size_t{1} << 16;
// The slot table grows when it is this full. Probing is cheap, as it reads
// consecutive slots that hold part of their class's hash, so the table can be
// fuller than usual for linear probing and take less memory.
constexpr std::size_t max_load_percent = 80;
// Hashes this many lines ahead and asks for their slots early: on large
// inputs nearly every slot lookup is a cache miss, and this hides most of it.
constexpr std::size_t prefetch_distance = 8;
// A slot table of at most this many slots stays in the cache.
constexpr std::size_t slots_in_cache = std::size_t{1} << 15;
// The inputs' lines are classed this many of each in turn. Where the inputs
// are mostly the same lines, each line of one is then recognised by its equal
// in the other classed a moment before, whose bytes are still in the cache:
// on inputs larger than memory, no line is read from the disk twice.
constexpr std::size_t lines_in_turn = 4096;

__extension__ using Wide = unsigned __int128;

// The two halves of a full 64 x 64 bit product folded into one: every bit of
// either factor reaches every bit of the result.
std::uint64_t fold_multiply(std::uint64_t a, std::uint64_t b) {
  const Wide product = static_cast<Wide>(a) * b;
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// Spreads one seed into independent keys.
std::uint64_t split_mix(std::uint64_t& state) {
  std::uint64_t z = state += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

struct Keys {
  std::uint64_t k0, k1, k2, k3;
};

Keys keys_of(std::uint64_t seed) {
  std::uint64_t state = seed;
  return {split_mix(state), split_mix(state), split_mix(state), split_mix(state)};
}

template <class Word>
std::uint64_t load(const char* at) {
  Word word;
  std::memcpy(&word, at, sizeof word);
  return word;
}

// The masks that keep the first n bytes of two little-endian words, for n
// from 0 to 16.
struct ByteMasks {
  std::uint64_t low[17];
  std::uint64_t high[17];
};

constexpr ByteMasks byte_masks = [] {
  ByteMasks masks{};
  for (std::size_t n = 0; n <= 16; ++n) {
    for (std::size_t byte = 0; byte < n; ++byte) {
      (byte < 8 ? masks.low[n] : masks.high[n]) |= std::uint64_t{0xFF} << (byte % 8 * 8);
    }
  }
  return masks;
}();

// The bytes of a line of at most 16 bytes, zero-padded to 16 and read as two
// words. Most lines of text are that short, and where 16 bytes can be read
// from the line's start without passing `limit` (the end of the bytes it
// stands in), a load masked to its length does it with no branch on the
// length, whose mispredictions otherwise cost more than the hashing.
std::pair<std::uint64_t, std::uint64_t> short_line_words(std::string_view line, const char* limit) {
  const std::size_t size = line.size();
  if (std::endian::native == std::endian::little && limit - line.data() >= 16) {
    return {load<std::uint64_t>(line.data()) & byte_masks.low[size],
            load<std::uint64_t>(line.data() + 8) & byte_masks.high[size]};
  }
  char padded[16] = {};
  if (size > 0) std::memcpy(padded, line.data(), size);
  return {load<std::uint64_t>(padded), load<std::uint64_t>(padded + 8)};
}

// A line's bytes, 16 at a time, each pair of words mixed with secret keys by
// a folded multiplication. A line of more than 16 bytes ends with its last
// 16, which may overlap the ones before: any fixed function of the bytes
// will do, as the length is hashed too, and whole loads are much faster than
// a loop over single bytes. `limit` is where the bytes that hold the line
// end (see short_line_words); the hash does not depend on it.
std::uint64_t keyed_hash(std::string_view line, const Keys& keys, const char* limit) {
  const std::size_t size = line.size();
  std::uint64_t hash = keys.k0 ^ size;
  std::uint64_t first = 0, second = 0;
  if (size <= 16) {
    std::tie(first, second) = short_line_words(line, limit);
  } else {
    const char* at = line.data();
    for (std::size_t left = size; left > 16; at += 16, left -= 16) {
      hash = fold_multiply(load<std::uint64_t>(at) ^ keys.k1,
                           load<std::uint64_t>(at + 8) ^ keys.k2 ^ hash);
    }
    const char* last = line.data() + size - 16;
    first = load<std::uint64_t>(last);
    second = load<std::uint64_t>(last + 8);
  }
  hash = fold_multiply(first ^ keys.k1, second ^ keys.k2 ^ hash);
  return fold_multiply(hash ^ keys.k3, keys.k0 ^ size);
}

std::uint64_t keyed_hash(std::string_view line, const Keys& keys) {
  return keyed_hash(line, keys, line.data() + line.size());
}

// Orders lines by their bytes and counts how often it compares two.
struct CountingLess {
  std::size_t* comparisons;
  bool operator()(std::string_view a, std::string_view b) const {
    ++*comparisons;
    return a < b;
  }
};

// A line by which a class is recognised: the top bit tells the input (set for
// the new one), the rest is the line's number in it.
constexpr std::uint32_t new_side_bit = std::uint32_t{1} << 31;

// How many slots the table may grow to for that many classes: the smallest
// power of two they fill to no more than the load allowed.
std::size_t most_slots(std::size_t classes) {
  std::size_t slots = initial_slots;
  while (classes * 100 > slots * max_load_percent) slots *= 2;
  return slots;
}

// Lines reads the lines of either input (NarrowLines or TableLines).
template <class Lines>
class ClassTable {
 public:
  ClassTable(Lines old_lines, Lines new_lines, std::size_t most, const HashSettings& settings)
      : old_lines_(old_lines),
        new_lines_(new_lines),
        keys_(keys_of(settings.seed)),
        mask_(settings.mask) {
    // Room for a class a line (`most` lines in all), never copied as classes
    // are added; pages that no class reaches are never touched. So the slot
    // table grows where it stands, and its memory is never held twice.
    slots_.reserve(most_slots(most));
    slots_.resize(most <= lines_sized_at_once ? most_slots(most) : initial_slots);
    references_.reserve(most);
    presence_.reserve(most);
  }

  // The class of a line with the given hash; a new one, represented by the
  // line `reference` (see new_side_bit), when no equal line came before.
  //
  // Each hash has at most one slot, which holds the first class with that
  // hash; others with the same hash wait in an ordered table of their own.
  std::uint32_t class_of(std::string_view line, std::uint64_t hash, std::uint32_t reference,
                         Presence side) {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash);
    for (std::size_t slot = tag & mask;; slot = (slot + 1) & mask) {
      const std::uint64_t taken = slots_[slot];
      if (taken == 0) return add_class(reference, side, hash, slot);
      if (static_cast<std::uint32_t>(taken >> 32) != tag) continue;
      // Equal lines are by far the most common reason for a tag to match,
      // so their bytes are compared before the full hash is even looked at.
      const auto id = static_cast<std::uint32_t>(taken) - 1;
      ++comparisons_;
      if (representative(references_[id]) == line) {
        presence_[id] |= side;
        return id;
      }
      // Lines of a class that differ are rare, so its hash is not kept but
      // computed again when one comes.
      if (hash_of(representative(references_[id])) != hash) continue;
      return class_among_collisions(line, hash, reference, side);
    }
  }

  void prefetch([[maybe_unused]] std::uint64_t hash) const {
#if defined(__GNUC__)
    __builtin_prefetch(&slots_[static_cast<std::uint32_t>(hash) & (slots_.size() - 1)]);
#endif
  }

  // Whether the slots can never outgrow the cache, so that asking for them
  // early gains nothing.
  bool stays_in_cache() const { return slots_.capacity() <= slots_in_cache; }

  LargeArray<std::uint8_t> take_presence() { return std::move(presence_); }
  std::size_t comparisons() const { return comparisons_; }

 private:
  using Collisions = std::map<std::string_view, std::uint32_t, CountingLess>;

  std::uint64_t hash_of(std::string_view line) const { return keyed_hash(line, keys_) & mask_; }

  std::string_view representative(std::uint32_t reference) const {
    return (reference & new_side_bit) != 0 ? new_lines_.line(reference & ~new_side_bit)
                                           : old_lines_.line(reference);
  }

  // The class of a line whose hash is that of the class in its slot but whose
  // bytes are not: found in, or added to, the ordered table of that hash's
  // other classes.
  std::uint32_t class_among_collisions(std::string_view line, std::uint64_t hash,
                                       std::uint32_t reference, Presence side) {
    Collisions& others = collisions_.try_emplace(hash, CountingLess{&comparisons_}).first->second;
    const auto found = others.lower_bound(line);
    if (found != others.end() && !others.key_comp()(line, found->first)) {
      presence_[found->second] |= side;
      return found->second;
    }
    const std::uint32_t id = new_class(reference, side);
    others.emplace_hint(found, line, id);
    return id;
  }

  std::uint32_t new_class(std::uint32_t reference, Presence side) {
    const auto id = static_cast<std::uint32_t>(references_.size());
    references_.push_back(reference);
    presence_.push_back(side);
    return id;
  }

  std::uint32_t add_class(std::uint32_t reference, Presence side, std::uint64_t hash,
                          std::size_t slot) {
    const std::uint32_t id = new_class(reference, side);
    slots_[slot] = std::uint64_t{static_cast<std::uint32_t>(hash)} << 32 | (id + 1);
    if (++used_slots_ * 100 > slots_.size() * max_load_percent) grow();
    return id;
  }

  // Doubles the table where it stands (its room is reserved) and moves each
  // run of taken slots to where the larger table puts it, one run at a time.
  // Runs are taken in order from just after a free slot, so that the run that
  // wraps round the end comes last; each class of a run lands at or before
  // where it was, or in the new upper half, so no class is ever placed past
  // one that is still to move. Should a probe ever wrap round the whole upper
  // half, the check after finds it and the table is built again.
  void grow() {
    const std::size_t old_size = slots_.size();
    slots_.resize(old_size * 2);
    std::size_t free_slot = 0;
    while (slots_[free_slot] != 0) ++free_slot;
    std::vector<std::uint64_t> run;
    for (std::size_t step = 1; step <= old_size;) {
      run.clear();
      for (; step <= old_size; ++step) {
        std::uint64_t& taken = slots_[(free_slot + step) % old_size];
        if (taken == 0) break;
        run.push_back(taken);
        taken = 0;
      }
      for (const std::uint64_t taken : run) place(taken);
      ++step;
    }
    if (!every_class_found()) rebuild();
  }

  void place(std::uint64_t taken) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = (taken >> 32) & mask;
    while (slots_[slot] != 0) slot = (slot + 1) & mask;
    slots_[slot] = taken;
  }

  // Whether a probe from each class's own slot reaches it.
  bool every_class_found() const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = 0; at < slots_.size(); ++at) {
      if (slots_[at] == 0) continue;
      for (std::size_t slot = (slots_[at] >> 32) & mask; slot != at; slot = (slot + 1) & mask) {
        if (slots_[slot] == 0) return false;
      }
    }
    return true;
  }

  void rebuild() {
    std::vector<std::uint64_t> taken;
    for (std::uint64_t& slot : slots_) {
      if (slot != 0) taken.push_back(std::exchange(slot, 0));
    }
    for (const std::uint64_t entry : taken) place(entry);
  }

  Lines old_lines_;
  Lines new_lines_;
  Keys keys_;
  std::uint64_t mask_;
  // A slot holds the lower half of a class's hash in its upper half, so that
  // probing past other classes and growing the table touch nothing else, and
  // its number + 1 in the lower; 0 is free. The table never has more than
  // 2^32 slots, so the slot is a masked half.
  LargeArray<std::uint64_t> slots_;
  std::size_t used_slots_ = 0;
  LargeArray<std::uint32_t> references_;  // per class, its first line
  LargeArray<std::uint8_t> presence_;     // per class
  std::unordered_map<std::uint64_t, Collisions> collisions_;
  std::size_t comparisons_ = 0;
};

// Classes lines [from, to) of a range, read through `lines`, into
// ids[from, to).
template <class Lines>
void classify_run(ClassTable<Lines>& table, Lines lines, const LineRange& range, Presence side,
                  const HashSettings& settings, std::size_t from, std::size_t to,
                  std::span<std::uint32_t> ids) {
  const Keys keys = keys_of(settings.seed);
  const char* const limit = lines.end();
  const auto hash_of = [&](std::size_t number) {
    return keyed_hash(lines.line(number), keys, limit) & settings.mask;
  };
  const std::uint32_t side_bit = side == in_new ? new_side_bit : 0;
  const std::size_t first = range.begin + from;
  const std::size_t count = to > from ? to - from : 0;
  if (table.stays_in_cache()) {
    for (std::size_t number = first; number < first + count; ++number) {
      ids[number - range.begin] = table.class_of(
          lines.line(number), hash_of(number), static_cast<std::uint32_t>(number) | side_bit, side);
    }
    return;
  }
  // Hashes are computed this many lines ahead and kept in a small ring until
  // their line's turn comes.
  std::uint64_t ahead[prefetch_distance];
  const std::size_t warm = std::min(count, prefetch_distance);
  for (std::size_t i = 0; i < warm; ++i) ahead[i] = hash_of(first + i);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t hash = ahead[i % prefetch_distance];
    if (i + prefetch_distance < count) {
      const std::uint64_t later = hash_of(first + i + prefetch_distance);
      ahead[i % prefetch_distance] = later;
      table.prefetch(later);
    }
    const std::size_t number = first + i;
    ids[from + i] = table.class_of(lines.line(number), hash,
                                   static_cast<std::uint32_t>(number) | side_bit, side);
  }
}

}  // namespace

HashSettings random_hash_settings() {
  // Drawn once a process: opening the system's random source costs more than
  // classing the lines of a small pair, and a tree holds thousands of pairs.
  // One secret seed serves them all, as no input learns it.
  static const HashSettings settings = [] {
    std::random_device source;
    return HashSettings{std::uint64_t{source()} << 32 | source()};
  }();
  return settings;
}

std::uint64_t hash_line(std::string_view line, const HashSettings& settings) {
  return keyed_hash(line, keys_of(settings.seed)) & settings.mask;
}

LargeArray<std::uint64_t> hash_lines(const LineTable& lines, const HashSettings& settings) {
  const Keys keys = keys_of(settings.seed);
  LargeArray<std::uint64_t> hashes(lines.size());
  const char* const limit = lines.bytes().data() + lines.bytes().size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    hashes[i] = keyed_hash(lines.line(i), keys, limit) & settings.mask;
  }
  return hashes;
}

namespace {

template <class Lines>
LineClasses classify_ranges(Lines old_lines, Lines new_lines, const LineRange& old_range,
                            const LineRange& new_range, const HashSettings& settings) {
  ClassTable<Lines> table(old_lines, new_lines, old_range.table.size() + new_range.table.size(),
                          settings);
  const std::size_t old_count = old_range.end - old_range.begin;
  const std::size_t new_count = new_range.end - new_range.begin;
  LineClasses classes;
  classes.old_ids = LargeArray<std::uint32_t>(old_count);
  classes.new_ids = LargeArray<std::uint32_t>(new_count);
  for (std::size_t at = 0; at < std::max(old_count, new_count); at += lines_in_turn) {
    classify_run(table, old_lines, old_range, in_old, settings, at,
                 std::min(at + lines_in_turn, old_count), classes.old_ids);
    classify_run(table, new_lines, new_range, in_new, settings, at,
                 std::min(at + lines_in_turn, new_count), classes.new_ids);
  }
  classes.presence = table.take_presence();
  classes.comparisons = table.comparisons();
  return classes;
}

}  // namespace

LineClasses classify_lines(const LineRange& old_range, const LineRange& new_range,
                           const HashSettings& settings) {
  // Nearly every input's offsets take 32 bits, and their lines are then
  // read from the entries straight.
  if (old_range.table.narrow_entries() != nullptr && new_range.table.narrow_entries() != nullptr) {
    return classify_ranges(NarrowLines(old_range.table), NarrowLines(new_range.table), old_range,
                           new_range, settings);
  }
  return classify_ranges(TableLines(old_range.table), TableLines(new_range.table), old_range,
                         new_range, settings);
}

}  // namespace ralu
