// The common head and tail of two inputs, found by reading them side by side
// in chunks, before anything is held whole: two huge files that differ in a
// few lines cost a pass over their bytes and the memory of their middles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ralu {

// The bytes of one input, read by offset.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t size() const = 0;
  // Fills `into` with the bytes at offset, which all lie within size().
  virtual void read(std::uint64_t offset, std::span<char> into) = 0;
  // The `length` bytes at offset, for a pass that reads them once: read into
  // the buffer, which holds as many, or viewed where they already are. The
  // view lasts until the next call.
  virtual std::string_view pass_over(std::uint64_t offset, std::size_t length,
                                     std::span<char> buffer) {
    read(offset, buffer.first(length));
    return {buffer.data(), length};
  }
  // Gives back what a pass holds of the bytes it viewed, before the bytes
  // are held in some other way: a file's pages mapped twice are counted
  // twice against the run's memory.
  virtual void end_pass() {}
};

// An input already in memory.
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  void read(std::uint64_t offset, std::span<char> into) override;
  std::string_view bytes() const { return bytes_; }
  std::string_view pass_over(std::uint64_t offset, std::size_t length,
                             std::span<char> /*buffer*/) override {
    return bytes_.substr(static_cast<std::size_t>(offset), length);
  }

 private:
  std::string_view bytes_;
};

// The bytes of another source from an offset on: what lies after a place
// that has been passed, read as an input of its own.
class OffsetSource : public ByteSource {
 public:
  OffsetSource(ByteSource& source, std::uint64_t offset) : source_(source), offset_(offset) {}
  std::uint64_t size() const override { return source_.size() - offset_; }
  void read(std::uint64_t offset, std::span<char> into) override {
    source_.read(offset_ + offset, into);
  }
  std::string_view pass_over(std::uint64_t offset, std::size_t length,
                             std::span<char> buffer) override {
    return source_.pass_over(offset_ + offset, length, buffer);
  }
  void end_pass() override { source_.end_pass(); }

 private:
  ByteSource& source_;
  std::uint64_t offset_;
};

// The longest head and tail of whole lines that both inputs share; the tail
// lies after the head in both. Offsets are bytes from each input's start.
struct ChunkedEnds {
  std::uint64_t old_size = 0;
  std::uint64_t new_size = 0;
  std::uint64_t head_bytes = 0;  // where the middles start, in both
  std::uint64_t head_lines = 0;
  std::uint64_t old_tail_start = 0;
  std::uint64_t new_tail_start = 0;
  bool identical = false;  // the inputs are the same bytes
};

// How many bytes of each input are read at a time: two chunks stay in the
// processor's cache while they are compared.
inline constexpr std::size_t default_chunk = std::size_t{256} * 1024;

ChunkedEnds find_chunked_ends(ByteSource& old_source, ByteSource& new_source,
                              std::size_t chunk = default_chunk);

// The middles with up to lines_before lines of the head and lines_after lines
// of the tail around them: whole lines, [begin, old_end) of the old input and
// [begin, new_end) of the new one, the first of them line first_line (from 0).
struct Window {
  std::uint64_t begin = 0;
  std::uint64_t first_line = 0;
  std::uint64_t old_end = 0;
  std::uint64_t new_end = 0;
};

// Where the line starts that lies `lines` lines before the line start `at`,
// or 0 when there are not so many; the buffer is for reading.
std::uint64_t line_start_before(ByteSource& source, std::uint64_t at, std::uint64_t lines,
                                std::span<char> buffer);

// The tail being the same in both inputs, the old input alone tells how far
// the window reaches into it.
Window widen_middles(ByteSource& old_source, const ChunkedEnds& ends, std::uint64_t lines_before,
                     std::uint64_t lines_after, std::size_t chunk = default_chunk);

}  // namespace ralu
