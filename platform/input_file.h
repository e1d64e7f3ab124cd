// Reading an input of ralu by offset, and mapping parts of it into memory, so
// that huge files are compared without holding them in memory whole.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/directory.h"
#include "platform/platform.h"

namespace platform {

// The status the process exits with when reading mapped bytes faults: the file
// shrank under the mapping, or the disk failed to give them. Before it exits,
// it writes the message given with the mapping to standard error.
void set_mapping_fault_status(int status);

// Bytes of a file mapped read-only into memory. They occupy no memory of the
// process's own: the system reads them from the file as they are touched, and
// may drop them again when memory runs short.
class MappedBytes {
 public:
  MappedBytes() = default;
  ~MappedBytes();
  MappedBytes(MappedBytes&& other) noexcept;
  MappedBytes& operator=(MappedBytes&& other) noexcept;
  MappedBytes(const MappedBytes&) = delete;
  MappedBytes& operator=(const MappedBytes&) = delete;

  std::string_view bytes() const { return {start_, length_}; }

  // Advice that the bytes will be read once, front to back: the system may
  // read further ahead, and drop what has been passed sooner.
  void expect_one_pass() const;

 private:
  friend class InputFile;
  // Takes over a view of base_length bytes mapped at base, whose bytes asked
  // for start `skip` bytes in, and guards it.
  MappedBytes(void* base, std::size_t base_length, std::size_t skip, std::string fault_message);
  void release();

  void* base_ = nullptr;  // where the mapping starts, on an aligned offset of the file
  std::size_t base_length_ = 0;
  const char* start_ = nullptr;  // the bytes asked for
  std::size_t length_ = 0;
  std::unique_ptr<std::string> fault_message_;  // where the fault handler finds it
  int guard_ = -1;                              // the mapping's slot among the guarded ones
};

// A file opened for reading: a regular file is read by offset or mapped; any
// other (a pipe, a device) is read to its end.
class InputFile {
 public:
  // Opens a file; nothing, with the system's words in failure, when it cannot
  // be opened or is a directory.
  static std::optional<InputFile> open(const char* path, std::string& failure);
  // Opens a regular file whose status was just read by name (`known`, as
  // entry_status gave it), trusting that status rather than asking for it
  // again: a walk of a tree reads every entry's status, and a second query
  // for each file it opens would double the system calls that cost most
  // there. A file changed in between reads as changed while being read.
  static std::optional<InputFile> open_known(const char* path, const EntryStatus& known,
                                             std::string& failure);
  // Standard input, opened anew (so that closing it leaves the process's own
  // alone) and read as a stream whatever it is; its time is the moment it
  // was opened, as standard input is no file whose time means anything.
  static std::optional<InputFile> standard_input(std::string& failure);

  ~InputFile();
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&&) = delete;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool is_regular() const { return regular_; }
  std::uint64_t size() const { return size_; }  // of a regular file, as it was opened
  LocalTime modified() const { return modified_; }
  // The size of the reads the system prefers for the file: what a reader
  // that reads a block at a time takes in its first read.
  std::size_t block_size() const { return block_size_; }

  // Reads the bytes at offset into `into`: the count read, fewer only where the
  // file ends, or -1 with the system's words in failure.
  std::int64_t read_at(std::uint64_t offset, std::span<char> into, std::string& failure) const;

  // What mapping gave: the bytes, or the system's words for why not.
  struct Mapping {
    std::optional<MappedBytes> bytes;
    std::string failure;
    bool out_of_memory = false;  // no room in the address space
  };

  // Maps the bytes [offset, offset + length) of a regular file. Reading them
  // where the file no longer has them ends the process with fault_message (see
  // set_mapping_fault_status).
  Mapping map(std::uint64_t offset, std::size_t length, std::string fault_message) const;

  // Reads a file from where the reading has got to (its start, for a file
  // only opened) to its end, whatever its size said: files of /proc say 0.
  ReadOutcome read_to_end() const;

  // Reads on from where the reading has got to, until `into` is full or the
  // file ends: the count read, or -1 with the system's words in failure.
  std::int64_t read_next(std::span<char> into, std::string& failure) const;

  // The size a regular file has now; nothing when the system won't say.
  std::optional<std::uint64_t> size_now() const;

 private:
  InputFile(std::intptr_t handle, bool regular, std::uint64_t size, LocalTime modified,
            std::size_t block_size)
      : handle_(handle),
        regular_(regular),
        size_(size),
        modified_(modified),
        block_size_(block_size) {}

  // What a read to the end may expect to take: the size of a regular file
  // as it was opened (a hint: a file may grow, and those of /proc say 0).
  std::size_t size_hint() const {
    return regular_ && size_ < std::numeric_limits<std::size_t>::max() / 2
               ? static_cast<std::size_t>(size_)
               : 0;
  }

  std::intptr_t handle_;  // a descriptor on POSIX, a HANDLE on Windows; -1 once moved from
  bool regular_;
  std::uint64_t size_;
  LocalTime modified_;
  std::size_t block_size_;
};

}  // namespace platform
