// kevo: compares two files byte for byte and prints one line that says how they
// relate: the same name twice, equal contents, different contents with both
// sizes, a missing file or a directory. Every path ends in a process exit.
#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "common/common.h"
#include "platform/platform.h"

namespace {

using common::cmd_name;
using common::errmsg;

constexpr int exit_ok = 0;
constexpr int exit_trouble = 1;

// Entry of the help text that is the usage line.
constexpr int usage_line = 2;

// The comparison reads both files in chunks of this many bytes. Results are
// the same as reading them in 256-byte blocks: a chunk is a run of whole
// blocks, and only the last chunk of a file is short.
constexpr std::size_t chunk_size = 256 * 1024;

struct Options {
  bool both_exist = false;   // -b: say nothing about missing files and directories
  bool quiet_match = false;  // -i: say nothing about equal pairs
  bool text = false;         // -t: test for text, and hand differing text pairs on
  const char* output_dir = "";
};

[[noreturn]] void finish(int status) { std::exit(status); }

[[noreturn]] void print_help() {
  for (const char* const* line = common::usage; *line != nullptr; ++line) {
    std::printf("%s\n", *line);
  }
  finish(exit_ok);
}

// Applies one option group such as "-bit"; exits at a letter it does not know.
void apply_option_letters(const char* argument, Options& options) {
  for (const char* letter = argument + 1; *letter != '\0'; ++letter) {
    switch (*letter) {
      case 'b': options.both_exist = true; break;
      case 'i': options.quiet_match = true; break;
      case 't': options.text = true; break;
      default:
        errmsg("%s ... invalid option\n", argument);
        finish(exit_trouble);
    }
  }
}

// Reads the options in front of the names; returns the index of the first name.
int parse_options(int argc, char** argv, Options& options) {
  int next = 1;
  while (next < argc && argv[next][0] == '-') {
    if (std::strcmp(argv[next], "-o") == 0) {
      if (next + 1 >= argc) {
        errmsg("<outputDir> parameter missing\n");
        finish(exit_trouble);
      }
      options.output_dir = argv[next + 1];
      next += 2;
    } else {
      apply_option_letters(argv[next], options);
      ++next;
    }
  }
  return next;
}

std::FILE* open_or_finish(const char* name, const Options& options) {
  std::FILE* stream = platform::open_for_reading(name);
  if (stream == nullptr) {
    if (!options.both_exist) std::printf("%snot found: %s\n", cmd_name, name);
    finish(exit_trouble);
  }
  return stream;
}

// The file's size, after making sure it has a status and is not a directory.
std::int64_t size_or_finish(const char* name, const Options& options) {
  const auto status = platform::file_status(name);
  if (!status) {
    if (!options.both_exist) std::printf("%snot found: %s\n", cmd_name, name);
    finish(exit_ok);
  }
  if (status->is_directory) {
    if (!options.both_exist) std::printf("%sdirectory: %s\n", cmd_name, name);
    finish(exit_ok);
  }
  return status->size;
}

// 1 for a byte that makes a file non-text: below 0x20, but not tab, line feed,
// form feed or carriage return; else 0. Written without branches so that the
// scan below becomes vector code.
constexpr unsigned char is_control_byte(unsigned char byte) {
  return static_cast<unsigned char>((byte < 0x20) & (byte != 0x09) & (byte != 0x0A) &
                                    (byte != 0x0C) & (byte != 0x0D));
}

// 0 when none of the first count bytes is a control byte, -1 otherwise. Text
// files are scanned whole under -t, so this is hot: the bytes are tested a
// slice at a time, and the slice is left only once it has been tested whole.
int bin_chk(const unsigned char* block, int count) {
  constexpr int slice = 64;
  int at = 0;
  for (; at + slice <= count; at += slice) {
    unsigned char found = 0;
    for (int i = 0; i < slice; ++i) found |= is_control_byte(block[at + i]);
    if (found != 0) return -1;
  }
  for (; at < count; ++at) {
    if (is_control_byte(block[at]) != 0) return -1;
  }
  return 0;
}

// One input of the comparison. A short read is the end of the file, whether
// the file ended or the read failed; nothing is read after it.
struct Input {
  std::FILE* stream;
  bool ended = false;

  std::size_t read(unsigned char* buffer) {
    if (ended) return 0;
    const std::size_t count = std::fread(buffer, 1, chunk_size, stream);
    ended = count < chunk_size;
    return count;
  }
};

struct Verdict {
  bool different = false;
  bool still_text = true;  // only meaningful under -t
};

bool chunk_has_control_byte(const unsigned char* chunk, std::size_t count) {
  return bin_chk(chunk, static_cast<int>(count)) != 0;
}

// Reads both files side by side. Without -t it stops at the first difference;
// under -t it reads a text pair to the end of both files, so that a pair that
// still counts as text afterwards holds no control byte anywhere.
Verdict compare_streams(Input& first, Input& second, bool text) {
  static unsigned char first_chunk[chunk_size];
  static unsigned char second_chunk[chunk_size];
  Verdict verdict;
  for (;;) {
    const std::size_t first_count = first.read(first_chunk);
    const std::size_t second_count = second.read(second_chunk);
    const bool same_chunk = first_count == second_count &&
                            std::memcmp(first_chunk, second_chunk, first_count) == 0;
    // A chunk equal to the first file's holds a control byte only where that
    // one does, so it need not be scanned again.
    if (text && verdict.still_text &&
        (chunk_has_control_byte(first_chunk, first_count) ||
         (!same_chunk && chunk_has_control_byte(second_chunk, second_count)))) {
      verdict.still_text = false;
    }
    if (first_count == 0 && second_count == 0) break;
    if (!same_chunk) verdict.different = true;
    if (verdict.different && !(text && verdict.still_text)) break;
  }
  return verdict;
}

// Decides whether the contents differ and prints the result line. Without -t,
// files of different sizes are not read at all.
Verdict compare_contents(std::FILE* first_stream, const char* first_name, std::int64_t first_size,
                         std::FILE* second_stream, const char* second_name,
                         std::int64_t second_size, const Options& options) {
  Verdict verdict;
  if (!options.text && first_size != second_size) {
    verdict.different = true;
  } else {
    Input first{first_stream};
    Input second{second_stream};
    verdict = compare_streams(first, second, options.text);
  }

  if (!verdict.different) {
    if (!options.quiet_match) {
      std::printf("%smatch: %s ... %s\n", cmd_name, first_name, second_name);
    }
  } else {
    std::printf("%sunmatch: %s(%" PRId64 ") ... %s(%" PRId64 ")\n", cmd_name, first_name,
                first_size, second_name, second_size);
  }
  return verdict;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "-usage") == 0) print_help();

  Options options;
  const int first_name_index = parse_options(argc, argv, options);
  if (argc - first_name_index != 2) {
    std::printf("%s\n", common::usage[usage_line]);
    finish(exit_trouble);
  }
  const char* first_name = argv[first_name_index];
  const char* second_name = argv[first_name_index + 1];

  std::FILE* first_stream = open_or_finish(first_name, options);
  std::FILE* second_stream = open_or_finish(second_name, options);
  const std::int64_t first_size = size_or_finish(first_name, options);
  const std::int64_t second_size = size_or_finish(second_name, options);

  if (std::strcmp(first_name, second_name) == 0) {
    std::printf("%ssame: %s ... %s\n", cmd_name, first_name, second_name);
    finish(exit_ok);
  }

  compare_contents(first_stream, first_name, first_size, second_stream, second_name, second_size,
                   options);

  std::fclose(first_stream);
  std::fclose(second_stream);
  finish(exit_ok);
}
