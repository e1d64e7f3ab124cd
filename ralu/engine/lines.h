// Splitting an input's bytes into lines.
//
// A line is a byte string ended by a line feed; the last line of an input may
// lack one. Every byte value is allowed, NUL included, and a carriage return
// is just a byte of its line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ralu/engine/large_array.h"

namespace ralu {

// Lines are numbered with 32-bit integers inside the engine, which bounds how
// many lines one input may have.
inline constexpr std::size_t max_lines = (std::size_t{1} << 31) - 2;

// White space as line matching and the function lines know it: blank, tab,
// vertical tab, form feed and carriage return.
constexpr bool is_white_space(char byte) {
  return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f' || byte == '\r';
}

// How many line feeds bytes holds.
std::size_t count_line_feeds(std::string_view bytes);

// How many lines bytes holds: its line feeds, and one more for a last line
// without one.
std::size_t count_lines(std::string_view bytes);

class LineScan;

// Where each line of some bytes starts. The table views the bytes, which must
// outlive it; a table made by lines() views another table's entries too.
class LineTable {
 public:
  // Finds the lines in one pass over the bytes (see LineScan).
  explicit LineTable(std::string_view bytes);
  // A table owns its entries, and a view's point into them: so tables move
  // but are not copied.
  LineTable(LineTable&&) = default;
  LineTable& operator=(LineTable&&) = default;
  LineTable(const LineTable&) = delete;
  LineTable& operator=(const LineTable&) = delete;
  ~LineTable() = default;

  std::size_t size() const { return line_count_; }
  // Line i with its line feed, if it has one, so that a last line without a
  // line feed never equals the same text with one.
  std::string_view line(std::size_t i) const {
    const std::size_t begin = start(i);
    return bytes_.substr(begin, start(i + 1) - begin);
  }
  // Whether line i ends in a line feed; only the last line may not.
  bool has_line_end(std::size_t i) const { return bytes_[start(i + 1) - 1] == '\n'; }
  // Where line i starts in the bytes; line size() starts at their end.
  std::size_t offset(std::size_t i) const { return start(i); }
  // The bytes of the lines, from where the first starts to where the last
  // ends.
  std::string_view bytes() const { return bytes_; }

  // Lines [begin, end) of this table as a table of their own, numbered from
  // 0 and with offsets from where line begin starts: a view of this table's
  // entries, which must outlive it, made without a pass over the bytes.
  LineTable lines(std::size_t begin, std::size_t end) const;

  // The entries of a table whose offsets take 32 bits (nullptr when they
  // take more), and what they are counted from: for loops over every line,
  // which read them straight (see NarrowLines).
  const std::uint32_t* narrow_entries() const { return starts_; }
  std::size_t entry_base() const { return base_; }

 private:
  friend class LineScan;
  LineTable(std::string_view bytes, LargeArray<std::uint32_t> starts,
            LargeArray<std::size_t> wide_starts);
  LineTable() = default;

  std::size_t start(std::size_t i) const {
    return (wide_starts_ == nullptr ? starts_[i] : wide_starts_[i]) - base_;
  }

  std::string_view bytes_;
  // Where each line starts, and one entry past the end, counted from base_
  // bytes before bytes_ (0 but in a view). Offsets take 32 bits unless the
  // bytes are 4 GiB or more, as this table is the largest thing kept per
  // line; only one of the two is set.
  const std::uint32_t* starts_ = nullptr;
  const std::size_t* wide_starts_ = nullptr;
  std::size_t base_ = 0;
  std::size_t line_count_ = 0;
  // The entries, in a table that owns them; empty in a view.
  LargeArray<std::uint32_t> own_starts_;
  LargeArray<std::size_t> own_wide_starts_;
};

// The lines of a table whose offsets take 32 bits, read straight from its
// entries: a loop over every line of an input then makes neither the
// table's choice of entries nor a bounds check for each one.
class NarrowLines {
 public:
  explicit NarrowLines(const LineTable& table)
      : bytes_(table.bytes().data()),
        end_(bytes_ + table.bytes().size()),
        starts_(table.narrow_entries()),
        base_(table.entry_base()) {}

  std::string_view line(std::size_t i) const {
    const std::size_t begin = starts_[i];
    return {bytes_ + (begin - base_), starts_[i + 1] - begin};
  }
  // Where the bytes of the lines end: what may be read past a line.
  const char* end() const { return end_; }

 private:
  const char* bytes_;
  const char* end_;
  const std::uint32_t* starts_;
  std::size_t base_;
};

// Any table's lines, through the table.
class TableLines {
 public:
  explicit TableLines(const LineTable& table) : table_(&table) {}
  std::string_view line(std::size_t i) const { return table_->line(i); }
  const char* end() const { return table_->bytes().data() + table_->bytes().size(); }

 private:
  const LineTable* table_;
};

// Finds where the lines of some bytes start in one pass, a block at a time:
// each block's line feeds are counted and then its line starts filled in
// while its bytes are still in the cache, so that the bytes are read from
// memory (or from the disk, for a mapped file larger than the page cache)
// only once. The scan can stop once the lines are more than a limit, so that
// telling an input with too many lines costs no table built to its end.
class LineScan {
 public:
  struct Limits {
    std::size_t most_lines = static_cast<std::size_t>(-1);
  };
  enum class End : std::uint8_t {
    scanning,        // not yet ended
    whole,           // every line was found
    too_many_lines,  // the next block would take the lines past the limit
  };

  // The bytes taken at a time: small enough that a block is still in the
  // first levels of the cache when its line starts are filled in, after its
  // line feeds were counted.
  static constexpr std::size_t block_bytes = std::size_t{32} * 1024;

  LineScan(std::string_view bytes, Limits limits);

  // Scans the next block; false once the scan has ended.
  bool scan_block();
  // Scans until the end, and gives how it ended.
  End scan_all();

  End end() const { return end_; }
  // The bytes scanned so far; where the scan stopped, all before the block
  // that stopped it.
  std::size_t scanned() const { return scanned_; }
  std::string_view bytes() const { return bytes_; }

  // The table of every line, scanning what is left first; for a scan that
  // ends whole (one that stopped has not found them all). The scan is left
  // empty.
  LineTable take_table();

 private:
  template <class Offset>
  void add_block(std::string_view block, std::size_t feeds, LargeArray<Offset>& starts);
  template <class Offset>
  void make_room(std::size_t entries, LargeArray<Offset>& starts) const;
  void finish();

  std::string_view bytes_;
  Limits limits_;
  End end_ = End::scanning;
  std::size_t scanned_ = 0;
  std::size_t lines_ = 0;  // the line feeds found so far
  LargeArray<std::uint32_t> starts_;
  LargeArray<std::size_t> wide_starts_;
  bool wide_;
};

// Reads the lines of some bytes front to back, for output: nothing is kept per
// line, so a report on huge inputs costs no more memory than its inputs.
//
// Given a table of the same bytes, the cursor goes straight to each line
// instead, and reads only the lines asked for.
class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes, const LineTable* table = nullptr)
      : bytes_(bytes), table_(table) {}

  // Line `number` (0-based), which must exist. Reading forward is cheap;
  // stepping back (hunks under -B may overlap, as GNU diff's do) costs the
  // lines stepped over.
  std::string_view line(std::size_t number);

 private:
  void skip_lines(std::size_t count);
  void back_lines(std::size_t count);

  std::string_view bytes_;
  const LineTable* table_;
  std::size_t number_ = 0;  // the line that starts at offset_
  std::size_t offset_ = 0;
  std::size_t end_ = 0;  // where that line ends, once it has been read; 0 before
};

}  // namespace ralu
