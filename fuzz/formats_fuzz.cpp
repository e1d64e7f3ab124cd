// The line and group formats on arbitrary format strings and inputs.
//
// Any format is read and run without fault, however it is broken. And with
// the old and unchanged lines written as they are ("%L") and the new ones
// not at all, the default group formats give back the old input exactly;
// the other way round, the new input.
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "ralu/engine/changes.h"
#include "ralu/formats/formatted.h"
#include "tests/support/report_capture.h"

namespace {

using fuzz::check;

// Formats may ask for padding of two billion blanks: past this much output
// the run is cut short, which says nothing against the form.
constexpr std::size_t most_output = std::size_t{16} << 20;

struct Enough {};

class BoundedSink : public ralu::OutputSink {
 public:
  void write(std::string_view bytes) override {
    written_ += bytes.size();
    if (written_ > most_output) throw Enough{};
  }

 private:
  std::size_t written_ = 0;
};

std::optional<std::string> maybe_format(fuzz::Input& input) {
  if ((input.byte() & 1) == 0) return std::nullopt;
  return input.text();
}

void check_random_formats(fuzz::Input& input, std::string_view old_text, std::string_view new_text,
                          const ralu::EditScript& script) {
  ralu::LineFormats formats;
  for (std::optional<std::string>* format :
       {&formats.old_line, &formats.new_line, &formats.unchanged_line, &formats.old_group,
        &formats.new_group, &formats.changed_group, &formats.unchanged_group}) {
    *format = maybe_format(input);
  }
  ralu::ReportStyle style;
  style.look.expand_tabs = (input.byte() & 1) != 0;
  BoundedSink sink;
  try {
    ralu::write_formatted(sink, old_text, new_text, script, formats, style);
  } catch (const Enough&) {
  }
}

void check_one_side(std::string_view old_text, std::string_view new_text,
                    const ralu::EditScript& script, bool old_side) {
  ralu::LineFormats formats;
  formats.old_line = old_side ? "%L" : "";
  formats.new_line = old_side ? "" : "%L";
  formats.unchanged_line = old_side ? "%L" : "";
  // Unchanged lines are written from the old input: from the new side they
  // come through the unchanged group format instead.
  if (!old_side) formats.unchanged_group = "%>";
  test_support::StringSink sink;
  ralu::write_formatted(sink, old_text, new_text, script, formats, {});
  check(sink.text == (old_side ? old_text : new_text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::string old_text = input.text();
  const std::string new_text = input.text();
  const ralu::EditScript script = ralu::compare_texts(old_text, new_text, {});
  check_one_side(old_text, new_text, script, true);
  check_one_side(old_text, new_text, script, false);
  check_random_formats(input, old_text, new_text, script);
  return 0;
}
