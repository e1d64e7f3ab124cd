#include "ralu/inputs/inputs.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "ralu/inputs/chunked_ends.h"
#include "ralu/inputs/operands.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

constexpr const char* changed_size = "changed size while being read";

// A pass maps this much of a file at a time.
constexpr std::size_t pass_segment = std::size_t{64} * 1024 * 1024;

// A regular file, read by offset. A file that turns out shorter than it was
// when opened has changed under ralu, which ends the run.
class FileSource : public ByteSource {
 public:
  FileSource(const platform::InputFile& file, const std::string& path) : file_(file), path_(path) {}

  std::uint64_t size() const override { return file_.size(); }
  void read(std::uint64_t offset, std::span<char> into) override {
    std::string failure;
    const std::int64_t count = file_.read_at(offset, into, failure);
    if (count < 0) fail_run(path_, failure);
    if (static_cast<std::size_t>(count) != into.size()) fail_run(path_, changed_size);
  }

  // A pass over a large file views its bytes where the system holds them,
  // a segment mapped at a time, rather than copying them: the segment
  // passed is given back as the next is mapped.
  std::string_view pass_over(std::uint64_t offset, std::size_t length,
                             std::span<char> buffer) override {
    if (offset < segment_offset_ || offset + length > segment_offset_ + segment_.bytes().size()) {
      map_segment(offset, length);
    }
    if (segment_.bytes().empty()) return ByteSource::pass_over(offset, length, buffer);
    return segment_.bytes().substr(static_cast<std::size_t>(offset - segment_offset_), length);
  }
  void end_pass() override {
    segment_ = platform::MappedBytes();
    segment_offset_ = 0;
  }

 private:
  void map_segment(std::uint64_t offset, std::size_t length) {
    segment_ = platform::MappedBytes();
    const auto mapped = static_cast<std::size_t>(
        std::min<std::uint64_t>(std::max(pass_segment, length), file_.size() - offset));
    platform::InputFile::Mapping mapping =
        file_.map(offset, mapped, "ralu: " + path_ + ": " + changed_size + "\n");
    // Where the file cannot be mapped, it is read.
    if (!mapping.bytes) return;
    segment_ = std::move(*mapping.bytes);
    segment_offset_ = offset;
    segment_.expect_one_pass();
  }

  const platform::InputFile& file_;
  const std::string& path_;
  platform::MappedBytes segment_;
  std::uint64_t segment_offset_ = 0;
};

using Opened = OpenedInput;

// The bytes [begin, begin + length) of a regular file, read into memory.
std::shared_ptr<const std::string> read_bytes(const platform::InputFile& file,
                                              const std::string& path, std::uint64_t begin,
                                              std::uint64_t length) {
  auto bytes = std::make_shared<std::string>(static_cast<std::size_t>(length), '\0');
  FileSource(file, path).read(begin, std::span<char>(bytes->data(), bytes->size()));
  return bytes;
}

void hold(Opened& input, std::shared_ptr<const std::string> bytes) {
  input.text.held = std::move(bytes);
  input.source = std::make_unique<MemorySource>(*input.text.held);
}

// Opens one input. A large regular file is only opened, to be read as far
// as needed. A small one is read whole, to its end whatever its size said:
// cheaper than reading its ends, its middle and its last byte each on its
// own, and files of /proc say 0 bytes, those of /sys a page. Anything else
// (standard input, a pipe, a device) is read a first block only, which
// tells whether it is binary, so that a device without end is not read to
// it. A regular file's status that a walk just read (`known`) is trusted
// rather than asked for again, unless it says empty.
void open_input(Opened& input, const std::optional<platform::EntryStatus>& known) {
  const std::string& path = input.text.path;
  std::string failure;
  const bool trusted = known && known->kind == platform::EntryKind::regular && known->size > 0;
  std::optional<platform::InputFile> file =
      is_standard_input(path) ? platform::InputFile::standard_input(failure)
      : trusted               ? platform::InputFile::open_known(path.c_str(), *known, failure)
                              : platform::InputFile::open(path.c_str(), failure);
  if (!file) fail_pair(path, failure);
  input.file.emplace(std::move(*file));
  input.text.modified = input.file->modified();
  input.first_block = input.file->block_size();
  if (input.file->is_regular() && input.file->size() > read_whole_up_to) {
    input.source = std::make_unique<FileSource>(*input.file, path);
    return;
  }
  if (input.file->is_regular()) {
    platform::ReadOutcome outcome = input.file->read_to_end();
    if (!outcome.contents) fail_pair(path, outcome.failure);
    input.file.reset();
    return hold(input, std::make_shared<const std::string>(std::move(outcome.contents->bytes)));
  }
  auto first = std::make_shared<std::string>(input.first_block, '\0');
  const std::int64_t count = input.file->read_next({first->data(), first->size()}, failure);
  if (count < 0) fail_pair(path, failure);
  first->resize(static_cast<std::size_t>(count));
  // A block not filled was the whole input.
  input.streaming = first->size() == input.first_block;
  if (!input.streaming) input.file.reset();
  hold(input, std::move(first));
}

// Reads the rest of an input of which the first block is held.
void read_rest(Opened& input) {
  platform::ReadOutcome outcome = input.file->read_to_end();
  if (!outcome.contents) fail_pair(input.text.path, outcome.failure);
  auto bytes = std::make_shared<std::string>(*input.text.held);
  *bytes += outcome.contents->bytes;
  input.file.reset();
  input.streaming = false;
  hold(input, std::move(bytes));
}

bool first_block_holds_nul(Opened& input) {
  ByteSource& source = *input.source;
  const auto length =
      static_cast<std::size_t>(std::min<std::uint64_t>(input.first_block, source.size()));
  std::string block(length, '\0');
  source.read(0, {block.data(), block.size()});
  return block.find('\0') != std::string::npos;
}

// The next bytes of an input from `at` on, as many as `into` holds unless
// the input ends first; those of a streaming input must be asked for in
// order.
std::size_t next_bytes(Opened& input, std::uint64_t at, std::span<char> into) {
  ByteSource& source = *input.source;
  std::size_t filled = 0;
  if (at < source.size()) {
    filled = static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), source.size() - at));
    source.read(at, into.first(filled));
  }
  if (filled < into.size() && input.streaming) {
    std::string failure;
    const std::int64_t count = input.file->read_next(into.subspan(filled), failure);
    if (count < 0) fail_run(input.text.path, failure);
    filled += static_cast<std::size_t>(count);
  }
  return filled;
}

std::array<Opened, 2> open_inputs(const PairFiles& files, bool& shared) {
  const std::array<std::string, 2>& paths = files.paths;
  const std::array<bool, 2>& absent = files.absent;
  std::array<Opened, 2> inputs;
  std::optional<Trouble> first_trouble;
  for (std::size_t i = 0; i < 2; ++i) {
    Opened& input = inputs[i];
    input.text.path = paths[i];
    const bool same_as_first =
        (is_standard_input(paths[0]) && is_standard_input(paths[1])) ||
        (files.one_file && !(inputs[0].file && inputs[0].file->is_regular()));
    if (absent[i]) {
      input.text.modified = platform::epoch_local_time();
      hold(input, std::make_shared<const std::string>());
    } else if (i == 1 && !first_trouble && same_as_first) {
      // Standard input, or a pipe, can be read only once; named twice, it is
      // one input.
      input.text.modified = inputs[0].text.modified;
      hold(input, inputs[0].text.held);
      shared = true;
    } else {
      try {
        open_input(input, files.known[i]);
      } catch (const Trouble& trouble) {
        // Neither file there: both are named, the first first.
        if (i == 1 || trouble.ends_run) {
          if (!first_trouble) throw;
          first_trouble->message += trouble.message;
          throw Trouble(*first_trouble);
        }
        first_trouble = trouble;
      }
    }
  }
  if (first_trouble) throw Trouble(*first_trouble);
  return inputs;
}

// The bytes [begin, end) of an input: a view of what it holds, or a mapping of
// its file.
std::string_view bytes_of(Opened& input, std::uint64_t begin, std::uint64_t end) {
  if (!input.file) {
    return std::string_view(*input.text.held)
        .substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
  }
  const std::string& path = input.text.path;
  if (end - begin <= read_whole_up_to) {
    // Mapping costs more than reading for a few pages, and unmapping stops
    // every thread of the process for a moment.
    input.text.held = read_bytes(*input.file, path, begin, end - begin);
    return *input.text.held;
  }
  platform::InputFile::Mapping mapping = input.file->map(
      begin, static_cast<std::size_t>(end - begin), "ralu: " + path + ": " + changed_size + "\n");
  if (!mapping.bytes) {
    if (mapping.out_of_memory) fail_memory_exhausted();
    fail_run(path, mapping.failure);
  }
  input.text.mapped = std::move(*mapping.bytes);
  return input.text.mapped.bytes();
}

// A regular file whose size is not what it was has changed while ralu read it.
void check_size_kept(const Opened& input) {
  if (input.file && input.file->size_now() != input.file->size()) {
    fail_run(input.text.path, changed_size);
  }
}

}  // namespace

bool lacks_final_line_end(ByteSource& source) {
  if (source.size() == 0) return false;
  char last = '\n';
  source.read(source.size() - 1, std::span<char>(&last, 1));
  return last != '\n';
}

OpenedPair::OpenedPair(const PairFiles& files, bool tell_binary)
    : inputs_(open_inputs(files, shared_)) {
  binary_ = tell_binary &&
            (first_block_holds_nul(inputs_[0]) || (!shared_ && first_block_holds_nul(inputs_[1])));
  if (binary_) return;
  if (inputs_[0].streaming) read_rest(inputs_[0]);
  if (shared_) {
    hold(inputs_[1], inputs_[0].text.held);
  } else if (inputs_[1].streaming) {
    read_rest(inputs_[1]);
  }
}

bool OpenedPair::same_bytes() {
  if (shared_) return true;
  if (!inputs_[0].streaming && !inputs_[1].streaming &&
      inputs_[0].source->size() != inputs_[1].source->size()) {
    return false;
  }
  const auto old_chunk = std::make_unique_for_overwrite<char[]>(default_chunk);
  const auto new_chunk = std::make_unique_for_overwrite<char[]>(default_chunk);
  for (std::uint64_t at = 0;;) {
    const std::size_t old_count = next_bytes(inputs_[0], at, {old_chunk.get(), default_chunk});
    const std::size_t new_count = next_bytes(inputs_[1], at, {new_chunk.get(), default_chunk});
    if (old_count != new_count || std::memcmp(old_chunk.get(), new_chunk.get(), old_count) != 0) {
      return false;
    }
    if (old_count == 0) return true;
    at += old_count;
  }
}

std::string_view OpenedPair::bytes(std::size_t side, std::uint64_t begin, std::uint64_t end) {
  return bytes_of(inputs_[side], begin, end);
}

void OpenedPair::check_sizes_kept() const {
  check_size_kept(inputs_[0]);
  check_size_kept(inputs_[1]);
}

std::array<InputText, 2> OpenedPair::take_texts() {
  return {std::move(inputs_[0].text), std::move(inputs_[1].text)};
}

Inputs read_inputs(const PairFiles& files, const InputRequest& request) {
  OpenedPair opened(files, request.look_for_nul);
  return read_inputs(opened, request);
}

Inputs read_inputs(OpenedPair& pair, const InputRequest& request) {
  Opened& old_input = pair.inputs_[0];
  Opened& new_input = pair.inputs_[1];
  const std::array<Opened*, 2> opened{&old_input, &new_input};
  if (pair.binary()) {
    // Only whether the bytes differ counts.
    Inputs inputs;
    inputs.binary = true;
    inputs.identical = pair.same_bytes();
    inputs.texts = pair.take_texts();
    return inputs;
  }
  const ChunkedEnds ends = find_chunked_ends(*old_input.source, *new_input.source);

  Inputs inputs;
  inputs.identical = ends.identical;
  for (Opened* input : opened) {
    input->text.lacks_final_line_end = lacks_final_line_end(*input->source);
  }
  if (ends.identical && request.whole_when_identical) {
    old_input.text.window = bytes_of(old_input, 0, ends.old_size);
    new_input.text.window = bytes_of(new_input, 0, ends.new_size);
  } else if (!ends.identical) {
    const Window window =
        widen_middles(*old_input.source, ends, request.margin_lines, request.margin_lines);
    const std::uint64_t old_begin = request.old_from_start ? 0 : window.begin;
    const std::string_view old_bytes = bytes_of(old_input, old_begin, window.old_end);
    const std::string_view new_bytes = bytes_of(new_input, window.begin, window.new_end);
    const auto skipped = static_cast<std::size_t>(window.begin - old_begin);
    old_input.text.window = old_bytes.substr(skipped);
    old_input.text.from_start = request.old_from_start ? old_bytes : std::string_view();
    new_input.text.window = new_bytes;
    old_input.text.first_line = new_input.text.first_line = window.first_line;
  }
  pair.check_sizes_kept();
  inputs.texts = pair.take_texts();
  return inputs;
}

}  // namespace ralu
