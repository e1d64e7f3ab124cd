// ralu's two inputs, read as far as the comparison needs them: their common
// head and tail are found by reading both side by side in chunks, and only
// the lines between, with a margin of equal lines around them, are held. A
// regular file's lines are mapped from the file, not copied; standard input,
// pipes and devices are read into memory whole.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_file.h"
#include "platform/platform.h"
#include "ralu/inputs/chunked_ends.h"

namespace ralu {

// One input as the comparison sees it.
struct InputText {
  std::string path;  // what was opened: the name, or a file inside a named directory
  platform::LocalTime modified{};
  // The lines the comparison works on, whole lines from line first_line
  // (counted from 0) of the input.
  std::string_view window;
  std::uint64_t first_line = 0;
  // The input from its start to the end of the window, where it was asked for
  // (the lines before a hunk, under -p and -F); else empty.
  std::string_view from_start;
  // Whether the input's last line, wherever the window ends, has no line end.
  bool lacks_final_line_end = false;

  // Where the bytes are: in memory, or mapped from the file.
  std::shared_ptr<const std::string> held;
  platform::MappedBytes mapped;
};

// The two files of a pair, as the operands or a walk name them, and which
// of them is absent and read as empty (under -N one may be).
struct PairFiles {
  std::array<std::string, 2> paths;
  std::array<bool, 2> absent{};
  // A regular file's status as a walk just read it, trusted when the file is
  // opened (see platform::InputFile::open_known); or nothing, to be asked.
  std::array<std::optional<platform::EntryStatus>, 2> known{};
  // The two names are one file (see name_one_file): one that is not a regular
  // file is read once, for both.
  bool one_file = false;
};

// What every comparison of a run needs of its inputs.
struct InputRequest {
  bool new_file = false;                 // -N: an absent file is empty
  bool unidirectional_new_file = false;  // an absent first file is empty
  // Lines of equal text kept on each side of the middles, beyond which
  // nothing of the inputs is held.
  std::uint64_t margin_lines = 0;
  bool old_from_start = false;  // the old input from its start is needed too
  bool look_for_nul = true;     // whether to tell binary inputs
  // Whether identical inputs are still wanted whole (the formats of -D
  // write every line even then).
  bool whole_when_identical = false;
};

// A regular file no larger than this is read into memory whole; a larger one
// is read as far as the comparison needs, and its middle mapped. Such small
// files can also be compared on any thread: unmapping stops every thread of
// the process for a moment, and reading does not.
inline constexpr std::uint64_t read_whole_up_to = std::uint64_t{256} * 1024;

struct Inputs {
  std::array<InputText, 2> texts;
  // The same bytes: the windows are left empty, unless asked for whole.
  bool identical = false;
  // A NUL byte in the first block of either input, when looked for (see
  // OpenedPair::binary).
  bool binary = false;
};

// One input while it is being read: an open regular file, or bytes in memory.
struct OpenedInput {
  InputText text;
  // A large regular file; or one of any other kind of which only the first
  // block is in memory yet (`streaming`).
  std::optional<platform::InputFile> file;
  std::unique_ptr<ByteSource> source;
  bool streaming = false;
  std::size_t first_block = 0;  // what a reader a block at a time reads first
};

// The two inputs of a pair, opened, and read from as the comparison asks.
class OpenedPair {
 public:
  // Opens both and tells whether the pair is binary, when `tell_binary`;
  // unless it is, reads to their ends the inputs that are read whole. Throws
  // the trouble met.
  OpenedPair(const PairFiles& files, bool tell_binary);

  // Whether a NUL byte stands in the first block of either input: what a
  // reader of a block at a time, GNU diff, sees of a file before it calls it
  // binary. A NUL byte further on is a byte of a line.
  bool binary() const { return binary_; }

  // Whether a binary pair holds the same bytes: read as far as the first
  // difference, so that an endless device is told from a file at once.
  bool same_bytes();

  ByteSource& source(std::size_t side) { return *inputs_[side].source; }
  InputText& text(std::size_t side) { return inputs_[side].text; }

  // The bytes [begin, end) of an input: a view of what it holds, or read
  // into its text's memory, or mapped where that is large. Each call may
  // drop what the last one gave for that input.
  std::string_view bytes(std::size_t side, std::uint64_t begin, std::uint64_t end);

  // Throws when a regular file's size is not what it was.
  void check_sizes_kept() const;

  // The inputs' texts, taken out.
  std::array<InputText, 2> take_texts();

 private:
  friend Inputs read_inputs(OpenedPair& opened, const InputRequest& request);
  std::array<OpenedInput, 2> inputs_;
  bool shared_ = false;  // the second input is the first's bytes
  bool binary_ = false;
};

// Whether an input's last byte is not a line feed.
bool lacks_final_line_end(ByteSource& source);

// Reads what the comparison needs of the two files; throws the trouble met.
Inputs read_inputs(OpenedPair& opened, const InputRequest& request);
Inputs read_inputs(const PairFiles& files, const InputRequest& request);

}  // namespace ralu
