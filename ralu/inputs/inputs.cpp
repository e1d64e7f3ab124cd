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

// Opens one input: standard input and anything but a regular file are read
// whole; a regular file is only opened.
void open_input(Opened& input, const std::optional<platform::EntryStatus>& known) {
  if (is_standard_input(input.text.path)) {
    platform::ReadOutcome outcome = platform::read_standard_input();
    if (!outcome.contents) fail_pair(input.text.path, outcome.failure);
    input.text.modified = outcome.contents->modified;
    return hold(input, std::make_shared<const std::string>(std::move(outcome.contents->bytes)));
  }
  std::string failure;
  // A status that says empty is asked again: some files hold bytes all the
  // same (those of /proc), and the opening looks at them.
  const bool trusted = known && known->kind == platform::EntryKind::regular && known->size > 0;
  std::optional<platform::InputFile> file =
      trusted ? platform::InputFile::open_known(input.text.path.c_str(), *known, failure)
              : platform::InputFile::open(input.text.path.c_str(), failure);
  if (!file) fail_pair(input.text.path, failure);
  input.file.emplace(std::move(*file));
  input.text.modified = input.file->modified();
  if (input.file->is_regular()) {
    input.source = std::make_unique<FileSource>(*input.file, input.text.path);
    if (input.file->size() > read_whole_up_to) return;
    // A small file is read once, whole: cheaper than reading its ends, its
    // middle and its last byte each on its own.
    std::shared_ptr<const std::string> bytes =
        read_bytes(*input.file, input.text.path, 0, input.file->size());
    input.file.reset();
    return hold(input, std::move(bytes));
  }
  platform::ReadOutcome outcome = input.file->read_to_end();
  if (!outcome.contents) fail_pair(input.text.path, outcome.failure);
  input.file.reset();
  hold(input, std::make_shared<const std::string>(std::move(outcome.contents->bytes)));
}

std::array<Opened, 2> open_inputs(const PairFiles& files) {
  const std::array<std::string, 2>& paths = files.paths;
  const std::array<bool, 2>& absent = files.absent;
  std::array<Opened, 2> inputs;
  for (std::size_t i = 0; i < 2; ++i) {
    Opened& input = inputs[i];
    input.text.path = paths[i];
    if (absent[i]) {
      input.text.modified = platform::epoch_local_time();
      hold(input, std::make_shared<const std::string>());
    } else if (i == 1 && is_standard_input(paths[0]) && is_standard_input(paths[1])) {
      // Standard input can be read only once; named twice, it is one input.
      input.text.modified = inputs[0].text.modified;
      hold(input, inputs[0].text.held);
    } else {
      open_input(input, files.known[i]);
    }
  }
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

OpenedPair::OpenedPair(const PairFiles& files) : inputs_(open_inputs(files)) {}

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
  OpenedPair opened(files);
  return read_inputs(opened, request);
}

Inputs read_inputs(OpenedPair& pair, const InputRequest& request) {
  Opened& old_input = pair.inputs_[0];
  Opened& new_input = pair.inputs_[1];
  const std::array<Opened*, 2> opened{&old_input, &new_input};
  const ChunkedEnds ends = find_chunked_ends(*old_input.source, *new_input.source);

  Inputs inputs;
  inputs.identical = ends.identical;
  for (Opened* input : opened) {
    input->text.lacks_final_line_end = lacks_final_line_end(*input->source);
  }
  if (ends.identical && request.whole_when_identical) {
    old_input.text.window = bytes_of(old_input, 0, ends.old_size);
    new_input.text.window = bytes_of(new_input, 0, ends.new_size);
    // Every byte was compared, so every NUL byte was seen.
    inputs.binary = request.look_for_nul && ends.nul_seen;
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
    // The head and tail were looked at for NUL bytes as they were compared;
    // the middles are left to the comparison, which looks at them as it
    // finds their lines.
    inputs.binary = request.look_for_nul && ends.nul_seen;
  }
  pair.check_sizes_kept();
  inputs.texts = pair.take_texts();
  return inputs;
}

}  // namespace ralu
