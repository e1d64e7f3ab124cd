// ralu's two inputs, read as far as the comparison needs them: their common
// head and tail are found by reading both side by side in chunks, and only
// the lines between, with a margin of equal lines around them, are held. A
// regular file's lines are mapped from the file, not copied; standard input,
// pipes and devices are read into memory whole.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input_file.h"
#include "platform/platform.h"

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

struct InputRequest {
  bool new_file = false;  // -N: an absent file is empty
  // Within directories the names are files already looked at: `absent`
  // marks a side that is not there and is read as empty.
  bool names_are_files = false;
  std::array<bool, 2> absent{};
  // Lines of equal text kept on each side of the middles, beyond which
  // nothing of the inputs is held.
  std::uint64_t margin_lines = 0;
  bool old_from_start = false;  // the old input from its start is needed too
  bool look_for_nul = true;     // whether to tell binary inputs
  // Whether identical inputs are still wanted whole (the formats of -D
  // write every line even then).
  bool whole_when_identical = false;
};

struct Inputs {
  std::array<InputText, 2> texts;
  // The same bytes: the windows are left empty, unless asked for whole.
  bool identical = false;
  bool binary = false;  // a NUL byte in either input, when looked for
};

// Reads what the comparison needs of the inputs named; on trouble says why on
// standard error and ends the process with status 2.
Inputs read_inputs(const std::vector<std::string>& names, const InputRequest& request);

}  // namespace ralu
