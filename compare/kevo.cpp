// kevo: compares two files byte for byte and prints one line that says how they
// relate: the same name twice, equal contents, different contents with both
// sizes, a missing file or a directory. Every path ends in a process exit.
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "common/common.h"
#include "compare/content_scan.h"
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
constexpr std::size_t chunk_size = std::size_t{256} * 1024;

struct Options {
  bool both_exist = false;   // -b: say nothing about missing files and directories
  bool quiet_match = false;  // -i: say nothing about equal pairs
  bool text = false;         // -t: test for text, and hand differing text pairs on
  const char* output_dir = "";
};

// Ends the process. A result that could not be written is not a success: when
// standard output fails, say so and end with status 1.
[[noreturn]] void finish(int status) {
  common::flush_standard_output_or_exit("kevo", exit_trouble);
  std::exit(status);
}

// The help text is code page 932; it is written the way the user's terminal
// shows it (as UTF-8 in a UTF-8 locale on POSIX).
[[noreturn]] void print_help() {
  std::string text;
  for (const char* const* line = common::usage; *line != nullptr; ++line) {
    text.append(*line).push_back('\n');
  }
  const std::string shown = platform::cp932_for_terminal(text);
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  finish(exit_ok);
}

// Applies one option group such as "-bit"; exits at a letter it does not know.
void apply_option_letters(const char* argument, Options& options) {
  for (const char* letter = argument + 1; *letter != '\0'; ++letter) {
    switch (*letter) {
      case 'b':
        options.both_exist = true;
        break;
      case 'i':
        options.quiet_match = true;
        break;
      case 't':
        options.text = true;
        break;
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

// The file's status, after making sure it has one and is not a directory.
platform::FileStatus status_or_finish(const char* name, std::FILE* opened, const Options& options) {
  const auto status = platform::file_status(name, opened);
  if (!status) {
    if (!options.both_exist) std::printf("%snot found: %s\n", cmd_name, name);
    finish(exit_ok);
  }
  if (status->is_directory) {
    if (!options.both_exist) std::printf("%sdirectory: %s\n", cmd_name, name);
    finish(exit_ok);
  }
  return *status;
}

// One input of the comparison. A short read is the end of the file; nothing
// is read after it. A read that fails is no end: what the file holds beyond
// it is unknown, so no answer can be given, and kevo ends as it does for a
// file it cannot open, saying why (a /proc file may open and then refuse
// every read).
struct Input {
  std::FILE* stream;
  const char* name;
  bool ended = false;

  std::size_t read(unsigned char* buffer) {
    if (ended) return 0;
    errno = 0;
    const std::size_t count = std::fread(buffer, 1, chunk_size, stream);
    ended = count < chunk_size;
    if (ended && std::ferror(stream) != 0) {
      const int error = errno != 0 ? errno : EIO;
      errmsg("%s: cannot be read (%s)\n", name, std::strerror(error));
      finish(exit_trouble);
    }
    return count;
  }
};

struct Verdict {
  bool different = false;
  bool still_text = true;  // only meaningful under -t
};

// 0 when none of the first count bytes of block is a control byte, -1 when
// one is; a count of 0 or below looks at nothing.
int bin_chk(const unsigned char* block, int count) {
  if (count <= 0) return 0;
  return kevo::has_control_byte(block, static_cast<std::size_t>(count)) ? -1 : 0;
}

// bin_chk over a chunk, which is never more than chunk_size bytes.
bool holds_control_byte(std::span<const unsigned char> chunk) {
  return bin_chk(chunk.data(), static_cast<int>(chunk.size())) != 0;
}

// True when the two chunks are equal. Under -t, while the pair still counts as
// text, one pass also scans the first chunk for control bytes; a chunk equal
// to the first holds one only where the first does, so only a differing
// second chunk is scanned on its own.
bool compare_chunks(std::span<const unsigned char> first, std::span<const unsigned char> second,
                    bool text, Verdict& verdict) {
  if (!(text && verdict.still_text)) {
    return first.size() == second.size() &&
           std::memcmp(first.data(), second.data(), first.size()) == 0;
  }
  const kevo::ChunkScan scan =
      first.size() == second.size()
          ? kevo::compare_and_scan(first.data(), second.data(), first.size())
          : kevo::ChunkScan{false, holds_control_byte(first)};
  if (scan.first_control || (!scan.equal && holds_control_byte(second))) {
    verdict.still_text = false;
  }
  return scan.equal;
}

// Reads both files side by side. Without -t it stops at the first difference;
// under -t it reads a text pair to the end of both files, so that a pair that
// still counts as text afterwards holds no control byte anywhere.
Verdict compare_streams(Input& first, Input& second, bool text) {
  // Page-aligned: the system copies into them fastest so.
  alignas(4096) static unsigned char first_chunk[chunk_size];
  alignas(4096) static unsigned char second_chunk[chunk_size];
  Verdict verdict;
  for (;;) {
    const std::size_t first_count = first.read(first_chunk);
    const std::size_t second_count = second.read(second_chunk);
    const bool same_chunk =
        compare_chunks({first_chunk, first_count}, {second_chunk, second_count}, text, verdict);
    if (first_count == 0 && second_count == 0) break;
    if (!same_chunk) verdict.different = true;
    if (verdict.different && !(text && verdict.still_text)) break;
  }
  return verdict;
}

// Decides whether the contents differ and prints the result line. Two names
// of one file are equal without reading it (which could take for ever on a
// device such as /dev/zero). Without -t, files of different sizes are not
// read at all, where both sizes tell what reading would give; a size of 0
// from a device or a /proc file says nothing. The sizes printed are those of
// the status all the same.
Verdict compare_contents(std::FILE* first_stream, const char* first_name,
                         const platform::FileStatus& first_status, std::FILE* second_stream,
                         const char* second_name, const platform::FileStatus& second_status,
                         const Options& options) {
  Verdict verdict;
  if (first_status.identity && first_status.identity == second_status.identity) {
    verdict.different = false;
  } else if (!options.text && first_status.size_is_content && second_status.size_is_content &&
             first_status.size != second_status.size) {
    verdict.different = true;
  } else {
    Input first{first_stream, first_name};
    Input second{second_stream, second_name};
    verdict = compare_streams(first, second, options.text);
  }

  int printed = 0;
  if (!verdict.different) {
    if (!options.quiet_match) {
      printed = std::printf("%smatch: %s ... %s\n", cmd_name, first_name, second_name);
    }
  } else {
    printed = std::printf("%sunmatch: %s(%" PRId64 ") ... %s(%" PRId64 ")\n", cmd_name, first_name,
                          first_status.size, second_name, second_status.size);
  }
  // The line is out before anything follows it; a kevo that cannot tell its
  // result ends here, naming the cause (errno of the write that failed).
  common::flush_standard_output_or_exit("kevo", exit_trouble, printed < 0 ? errno : 0);
  return verdict;
}

// ---------------------------------------------------------------------------
// The hand-off of a differing text pair to ralu, which writes the report.
// ---------------------------------------------------------------------------

// The first name, the second name and the output folder may hold at most this
// many bytes together.
constexpr std::size_t name_length_limit = 2048;

// Reads one answer line from standard input. Only its first byte counts; end
// of input before any answer is no answer, so not a yes.
bool answer_is_yes() {
  const int first = std::getchar();
  for (int next = first; next != '\n' && next != EOF;) next = std::getchar();
  return first == 'y' || first == 'Y';
}

// The report is named after the name part of the first file (what follows its
// last backslash that is a separator) and lies in the output folder, or in the
// current folder when none was given: "%s%c%s.dif".
std::string report_path_for(const char* first_name, const char* output_dir) {
  const char* separator = common::Strrchr(first_name, '\\');
  const char* name_part = separator != nullptr ? separator + 1 : first_name;
  const char* folder = *output_dir != '\0' ? output_dir : ".";
  return std::string(folder) + '\\' + name_part + ".dif";
}

// ralu's exit statuses that come with a report: 0 for equal files (an empty
// one), 1 for different ones. 2 is trouble, and then its output is no report.
constexpr int ralu_highest_success_status = 1;

// Runs ralu on the pair and waits for it; its output becomes the report only
// when ralu succeeds, so a failed run leaves an existing report as it was.
// ralu is given the paths kevo opened, never a name it could take for an
// option or for standard input. Returns ralu's exit status, or -1 when it
// failed or could not run, after saying why.
int run_ralu(const platform::Program& ralu, const char* first_name, const char* second_name,
             const std::string& report) {
  std::fflush(stdout);
  std::fflush(stderr);
  const platform::RunResult run = platform::run_with_output_to(
      ralu, {platform::name_as_argument(first_name), platform::name_as_argument(second_name)},
      report.c_str(), ralu_highest_success_status);
  using Outcome = platform::RunResult::Outcome;
  switch (run.outcome) {
    case Outcome::written:
      return run.status;
    case Outcome::failed:
      errmsg("ralu: failed with exit status %d; no report written\n", run.status);
      return -1;
    case Outcome::abnormal_end:
      errmsg("ralu: failed, %s; no report written\n", run.reason.c_str());
      return -1;
    case Outcome::not_started:
      errmsg("ralu: cannot be started (%s); no report written\n", run.reason.c_str());
      return -1;
    case Outcome::output_not_written:
      errmsg("%s: cannot write the report (%s)\n", report.c_str(), run.reason.c_str());
      return -1;
    case Outcome::interrupted:
      // ralu has ended and its file is gone: end as the interrupt would have
      // ended kevo, so that a shell or a script sees it.
      errmsg("kevo: interrupted; no report written\n");
      platform::end_as_interrupted(run.status);
  }
  return -1;
}

// Hands a differing text pair to ralu. The command line is shown as a user
// would type it, but ralu is started directly with the two names as its two
// arguments, so no name is ever split or read by a shell. ralu is looked for
// before an existing report is asked about: without it there is nothing to
// replace the report with. Returns 1 when the names are too long, 0 when an
// existing report is kept, -1 when ralu is missing, else what run_ralu
// returns.
int dif_out(const char* first_name, const char* second_name, const char* output_dir) {
  if (std::strlen(first_name) + std::strlen(second_name) + std::strlen(output_dir) >
      name_length_limit) {
    errmsg("too long pass or filename found!\n");
    return 1;
  }
  const std::string report = report_path_for(first_name, output_dir);
  const std::string command_line =
      std::string("ralu ") + first_name + " " + second_name + " > " + report;
  std::fflush(stdout);  // the unmatch line comes before the echo
  errmsg("... %s\n", command_line.c_str());

  const platform::Program ralu = platform::find_program("ralu");
  if (ralu.path.empty()) {
    errmsg("ralu: not found beside kevo or along PATH; no report written\n");
    return -1;
  }
  // Anything at the name is a report to ask about, also one kevo cannot read.
  if (platform::entry_exists(report.c_str())) {
    errmsg("%s: overwrite? (y/n) ", report.c_str());
    if (!answer_is_yes()) return 0;
  }
  return run_ralu(ralu, first_name, second_name, report);
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
  const platform::FileStatus first_status = status_or_finish(first_name, first_stream, options);
  const platform::FileStatus second_status = status_or_finish(second_name, second_stream, options);

  if (std::strcmp(first_name, second_name) == 0) {
    std::printf("%ssame: %s ... %s\n", cmd_name, first_name, second_name);
    finish(exit_ok);
  }

  const Verdict verdict = compare_contents(first_stream, first_name, first_status, second_stream,
                                           second_name, second_status, options);
  // A pair read to the end under -t without a control byte, that differs.
  if (options.text && verdict.different && verdict.still_text) {
    // ralu reads both files again; a pipe kevo has read holds nothing more,
    // and ralu would wait on it for ever.
    if (first_status.is_pipe || second_status.is_pipe) {
      errmsg("%s: a pipe cannot be read a second time; no report written\n",
             first_status.is_pipe ? first_name : second_name);
    } else {
      dif_out(first_name, second_name, options.output_dir);
    }
  }

  std::fclose(first_stream);
  std::fclose(second_stream);
  finish(exit_ok);
}
