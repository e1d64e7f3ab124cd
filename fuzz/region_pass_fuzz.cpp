// A pair compared a region at a time against the same pair compared whole, on
// texts with sparse edits: blank lines, repeated boilerplate and runs of equal
// lines shorter than an anchor, with edits near the edges of regions, moved
// and copied blocks, and a last line without its end.
//
// - The report written piece by piece, the inputs read in small chunks, is
//   the report of the pieces' scripts put together and written once over the
//   whole texts.
// - The pieces cost no more edits than a shortest script of the whole pair:
//   searched shortest, piece by piece, their changed lines add up to the
//   whole's, whenever that costs fewer edits than the horizon less a run.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/piecewise_report.h"
#include "ralu/formats/report_form.h"
#include "ralu/pair/ignored_changes.h"
#include "ralu/pair/region_pass.h"
#include "tests/support/report_capture.h"

namespace {

using fuzz::check;

constexpr ralu::HashSettings hashing{0x72616c75};

// A line of the base text, drawn from a few kinds.
std::string base_line(std::uint8_t kind, std::size_t number) {
  switch (kind % 8) {
    case 0:
      return "\n";
    case 1:
      return "  return 0;\n";  // boilerplate that repeats
    case 2:
      return "}\n";
    default:
      return "line " + std::to_string(number) + "\n";
  }
}

std::vector<std::string> base_text(fuzz::Input& input) {
  const std::size_t count = 40 + input.value<std::uint16_t>() % 4000;
  std::vector<std::string> lines;
  std::uint8_t kind = 3;
  for (std::size_t i = 0; i < count; ++i) {
    // A stretch of one kind of line, then another: long unique runs, with
    // blank and boilerplate lines among them.
    if (i % 16 == 0) kind = input.byte();
    const bool unique_stretch = (kind & 0x30) != 0;
    lines.push_back(base_line(unique_stretch ? 3 : static_cast<std::uint8_t>(i * kind), i));
  }
  return lines;
}

// Sparse edits, each at a place the input picks.
void edit(std::vector<std::string>& lines, fuzz::Input& input) {
  const std::size_t edits = 1 + input.byte() % 8;
  for (std::size_t e = 0; e < edits && !lines.empty(); ++e) {
    const std::uint8_t what = input.byte();
    const std::size_t at = input.value<std::uint16_t>() % lines.size();
    const std::size_t length = 1 + input.byte() % 24;
    const std::size_t end = std::min(lines.size(), at + length);
    switch (what % 6) {
      case 0:
        lines[at] = "changed " + std::to_string(e) + "\n";
        break;
      case 1:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), "inserted\n");
        break;
      case 2:
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        break;
      case 3: {  // a block moved elsewhere
        std::vector<std::string> block(lines.begin() + static_cast<std::ptrdiff_t>(at),
                                       lines.begin() + static_cast<std::ptrdiff_t>(end));
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        const std::size_t to = lines.empty() ? 0 : input.value<std::uint16_t>() % lines.size();
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), block.begin(), block.end());
        break;
      }
      case 4: {  // a block copied elsewhere
        std::vector<std::string> block(lines.begin() + static_cast<std::ptrdiff_t>(at),
                                       lines.begin() + static_cast<std::ptrdiff_t>(end));
        const std::size_t to = input.value<std::uint16_t>() % lines.size();
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(to), block.begin(), block.end());
        break;
      }
      default:
        lines.push_back("appended");  // a last line without its end
        break;
    }
  }
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

std::size_t changed_lines(const ralu::EditScript& script) {
  std::size_t count = 0;
  for (const ralu::ChangeGroup& group : script.groups) {
    count += (group.old_end - group.old_begin) + (group.new_end - group.new_begin);
  }
  return count;
}

struct Setting {
  ralu::ReportForm form;
  bool ignore_blank_lines = false;
};

ralu::EditScript piece_script(const ralu::Piece& piece, const Setting& setting) {
  ralu::EditScript script = ralu::compare_texts(piece.old_text, piece.new_text, {false, hashing});
  if (setting.ignore_blank_lines) {
    ralu::mark_ignored_groups(script, {piece.old_text, piece.old_text},
                              {piece.new_text, piece.new_text}, true, {});
  }
  return script;
}

// Writes each piece as it comes, as ralu does.
class WritingSink : public ralu::PieceSink {
 public:
  WritingSink(ralu::PiecewiseReport& report, const Setting& setting)
      : report_(report), setting_(setting) {}

  bool take(const ralu::Piece& piece) override {
    ralu::ReportStyle style;
    style.old_first_line = piece.old_first_line;
    style.new_first_line = piece.new_first_line;
    report_.write(piece.old_text, piece.new_text, piece_script(piece, setting_), style);
    return true;
  }

 private:
  ralu::PiecewiseReport& report_;
  const Setting& setting_;
};

// Puts the pieces' scripts together, numbered as lines of the whole texts,
// and adds up what shortest scripts of the pieces change.
class GatheringSink : public ralu::PieceSink {
 public:
  explicit GatheringSink(const Setting& setting) : setting_(setting) {}

  bool take(const ralu::Piece& piece) override {
    const ralu::EditScript script = piece_script(piece, setting_);
    for (ralu::ChangeGroup group : script.groups) {
      group.old_begin += piece.old_first_line;
      group.old_end += piece.old_first_line;
      group.new_begin += piece.new_first_line;
      group.new_end += piece.new_first_line;
      check(whole.groups.empty() || (whole.groups.back().old_end < group.old_begin &&
                                     whole.groups.back().new_end < group.new_begin));
      whole.groups.push_back(group);
    }
    shortest_changed +=
        changed_lines(ralu::compare_texts(piece.old_text, piece.new_text, {true, hashing}));
    return true;
  }

  ralu::EditScript whole;
  std::size_t shortest_changed = 0;

 private:
  const Setting& setting_;
};

std::string_view rest_of(const std::string& text, std::uint64_t begin, std::uint64_t end) {
  return std::string_view(text).substr(static_cast<std::size_t>(begin),
                                       static_cast<std::size_t>(end - begin));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t choice = input.byte();
  Setting setting;
  constexpr ralu::OutputForm forms[] = {ralu::OutputForm::unified, ralu::OutputForm::normal,
                                        ralu::OutputForm::ed, ralu::OutputForm::context};
  setting.form.form = forms[choice % 4];
  setting.form.context = (choice >> 2) % 4;
  setting.ignore_blank_lines = (choice & 0x10) != 0 && setting.form.form != ralu::OutputForm::ed;
  ralu::RegionRule rule;
  rule.context = setting.form.form == ralu::OutputForm::unified ||
                         setting.form.form == ralu::OutputForm::context
                     ? setting.form.context
                     : 0;
  // An anchor's run is this long; the horizon reaches a little past it, so
  // that windows end short of the texts' ends and are used again.
  const std::size_t run = 2 * (ralu::compaction_margin + rule.context) + 2;
  rule.horizon_lines = run + 1 + input.byte() % 128;
  rule.hashing = hashing;

  std::vector<std::string> lines = base_text(input);
  const std::string old_text = joined(lines);
  edit(lines, input);
  const std::string new_text = joined(lines);
  const ralu::RestBytes rest = [&](std::size_t side, std::uint64_t begin, std::uint64_t end) {
    return rest_of(side == 0 ? old_text : new_text, begin, end);
  };
  const std::array<ralu::FileLabel, 2> labels{ralu::FileLabel{"a", std::nullopt},
                                              ralu::FileLabel{"b", std::nullopt}};

  // Piece by piece, read in chunks of a few bytes.
  test_support::StringSink streamed;
  {
    ralu::PiecewiseReport report(streamed, setting.form, labels, "");
    WritingSink sink(report, setting);
    ralu::MemorySource old_source(old_text), new_source(new_text);
    ralu::RegionRule chunked = rule;
    chunked.chunk = 1 + input.byte() % 97;
    check(ralu::pass_in_regions(old_source, new_source, chunked, rest, sink) !=
          ralu::PassEnd::stopped);
    report.finish();
  }

  // The pieces put together, written once.
  GatheringSink gathered(setting);
  ralu::MemorySource old_source(old_text), new_source(new_text);
  const ralu::PassEnd end = ralu::pass_in_regions(old_source, new_source, rule, rest, gathered);
  gathered.whole.old_line_count = ralu::count_lines(old_text);
  gathered.whole.new_line_count = ralu::count_lines(new_text);
  test_support::StringSink whole;
  if (end != ralu::PassEnd::identical) {
    ralu::write_report(whole, setting.form, labels, old_text, new_text, gathered.whole, {});
  }
  check(streamed.text == whole.text);

  const std::size_t shortest =
      changed_lines(ralu::compare_texts(old_text, new_text, {true, hashing}));
  // A shortest script that pairs lines further apart than the horizon less
  // the run may be missed; any other is kept.
  if (shortest + run < rule.horizon_lines) check(gathered.shortest_changed == shortest);
  return 0;
}
