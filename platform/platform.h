// The thin operating-system layer: everything kevo and ralu ask of the system
// goes through here, so that a Windows implementation can sit beside the POSIX
// one. Names are taken as the user gave them, with the backslash as a path
// separator as on Windows; printing them is the caller's business.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---------------------------------------------------------------------------
// Files by name.
// ---------------------------------------------------------------------------

// Which file an open stream reads: the device and inode on POSIX, the volume
// serial number and file index on Windows. Two names with one identity are
// one file.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What the file-status query tells about a file.
struct FileStatus {
  bool is_directory = false;
  std::int64_t size = 0;  // bytes; the true size, also beyond 2 GiB
  bool is_pipe = false;   // a pipe or socket: what is read from it is gone
  // True when size is what reading the file gives: a regular file with a
  // size above 0. Devices, pipes and files such as those under /proc, whose
  // status says 0 while they hold bytes, are only known by reading them.
  bool size_is_content = false;
  std::optional<FileIdentity> identity;  // of the stream opened, when the system tells
};

// The name as the system wants it. On POSIX every backslash that is not the
// trail byte of a double-byte character becomes '/'; elsewhere it is unchanged.
std::string native_name(const char* name);

// The name as an argument for a program started by run_with_output_to: the
// path this process opens for it (native_name), and, when it begins with '-',
// which a program would take for an option or for standard input, that path
// behind the current folder ("./-", or ".\-" on Windows).
std::string name_as_argument(const char* name);

// Opens a file for reading without newline translation ("rb"); null on failure.
std::FILE* open_for_reading(const char* name);

// The status of a file that was opened for reading by name, or nothing when
// it cannot be read. Whether it is a pipe is told by the stream opened for
// it, which is what is read; on Windows all of it is, and a character device
// such as NUL is an empty file there, as /dev/null is on POSIX.
std::optional<FileStatus> file_status(const char* name, std::FILE* opened);

// True when anything at all stands at the name, without following a link: a
// file this user cannot read, a dangling symbolic link, a device. Used to
// learn whether a report already exists, which nothing may replace unasked.
bool entry_exists(const char* name);

// ---------------------------------------------------------------------------
// Whole files, for ralu.
// ---------------------------------------------------------------------------

// A moment as local calendar time, the way file listings show it.
struct LocalTime {
  int year;                // e.g. 2024
  int month;               // 1..12
  int day;                 // 1..31
  int hour;                // 0..23
  int minute;              // 0..59
  int second;              // 0..60 (a leap second)
  int nanosecond;          // 0..999999999
  int utc_offset_minutes;  // east of UTC is positive
};

// A whole file in memory, with the time it was last modified.
struct FileContents {
  std::string bytes;
  LocalTime modified;
};

// Either the contents, or the reason they could not be had in the system's
// own words (such as "No such file or directory").
struct ReadOutcome {
  std::optional<FileContents> contents;
  std::string failure;
};

// Reads standard input to its end, without newline translation. Its time is
// the moment of reading: standard input is no file whose time means anything.
ReadOutcome read_standard_input();

// ---------------------------------------------------------------------------
// Standard output.
// ---------------------------------------------------------------------------

// Makes standard output write its bytes unchanged, for output that is data
// such as a report. On Windows it is otherwise in text mode and writes every
// line feed as CR LF; elsewhere it already writes bytes unchanged.
void binary_standard_output();

// True after a write to standard output failed because it is a pipe whose
// reading end is closed (`ralu a b | head -3`), where a program ends quietly.
// On POSIX such a write raises SIGPIPE, whose default action has already
// ended the process without a word, and where SIGPIPE is ignored the write's
// "Broken pipe" is said as diff says it: so there always false. Windows has
// no such signal, and its C runtime gives the failed write no errno of its
// own (EINVAL at best), so there the pipe itself is asked.
bool standard_output_pipe_closed();

// Makes a console interrupt (Ctrl-C, Ctrl-Break, the console closing) end
// the process with the status that says it was interrupted, so that a
// program that started it cannot take what it wrote so far for a whole
// report. On POSIX the default action of the signal already says so; on
// Windows the status is STATUS_CONTROL_C_EXIT, which Windows gives by
// itself but some hosts (Wine) do not, where the process ends with 0.
void interrupts_end_as_interrupted();

// Code page 932 text as the user's terminal shows it. On POSIX, when the
// locale's character set (LC_CTYPE from the environment) is UTF-8, the text
// converted to UTF-8; in any other locale, or when the conversion fails, the
// bytes unchanged. On Windows, whose console takes code page 932 as it is,
// always unchanged.
std::string cp932_for_terminal(std::string_view text);

// ---------------------------------------------------------------------------
// Programs.
// ---------------------------------------------------------------------------

// A program found on this system, ready to start.
struct Program {
  std::string path;  // empty when it was not found
};

// Looks for a program by its bare name: first in the folder that holds the
// running executable, so that a build tree or an installed pair works without
// touching PATH, then along PATH.
Program find_program(const char* name);

// How running a program into an output file went.
struct RunResult {
  enum class Outcome {
    written,             // it exited with a success status; its output has the output name
    failed,              // it exited with another status; its output is gone
    abnormal_end,        // it was killed or crashed, or could not be waited for
    not_started,         // it could not be started
    output_not_written,  // its output could not be created, or not take the output name
    interrupted,         // this process was told to end meanwhile (see end_as_interrupted)
  };
  Outcome outcome;
  int status = -1;     // the exit status, for written and failed; for interrupted, the
                       // signal (POSIX) or console event (Windows) that came
  std::string reason;  // for the others: the system's words for what went wrong, or
                       // how the program ended ("ended by signal 9 (Killed)")
};

// Starts the program directly, without a command interpreter, with exactly
// the given arguments, and waits for it to end. Standard input and standard
// error are shared with this process.
//
// Standard output goes into a new file of its own, created exclusively in the
// folder of output_name (a name translated like any other). Only when the
// program exits with a status from 0 to highest_success_status does that file
// take output_name, replacing a file of that name in one step. On every other
// outcome it is removed, and a file named output_name stays as it was,
// whatever the program wrote before it failed.
//
// While it runs, an interrupt or a request to end this process (SIGINT,
// SIGTERM, SIGHUP; on Windows Ctrl-C, Ctrl-Break or the console closing) is
// only noted. The program is then ended too and waited for, its output file
// is removed and nothing takes output_name, however many interrupts come;
// the outcome is interrupted, and the caller should end_as_interrupted soon.
RunResult run_with_output_to(const Program& program, const std::vector<std::string>& arguments,
                             const char* output_name, int highest_success_status);

// Ends this process the way the interrupt that run_with_output_to reported
// (its status) would have ended it, had nobody been listening: on POSIX by
// that signal, with its default action; on Windows with the exit code of a
// process ended by Ctrl-C.
[[noreturn]] void end_as_interrupted(int interrupt);

}  // namespace platform
