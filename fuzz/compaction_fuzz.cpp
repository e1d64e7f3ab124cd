// Compaction's promises on two inputs built from a few lines that repeat,
// where groups slide and meet often: the marks still form an edit script,
// with as many deleted and inserted lines as before, and no group is split.
// The whole report, applied to the old input, must give the new one.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ralu/engine/changes.h"
#include "ralu/engine/classes.h"
#include "ralu/engine/compaction.h"
#include "ralu/engine/edit_search.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/unified.h"
#include "tests/support/report_capture.h"

namespace {

using fuzz::check;
using Marks = std::vector<std::uint8_t>;

// Each byte of the input is a line picked from these; 0xFF starts the new
// input.
constexpr std::string_view vocabulary[] = {"\n",          "}\n",      "  a;\n", "  b;\n",
                                           "int f() {\n", "\t// c\n", "x\n",    "y\n"};
constexpr std::uint8_t switch_input = 0xFF;

std::vector<std::string_view> kept(const ralu::LineTable& lines, const Marks& changed) {
  std::vector<std::string_view> result;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (changed[i] == 0) result.push_back(lines.line(i));
  }
  return result;
}

std::size_t groups(const Marks& changed) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < changed.size(); ++i) {
    count += changed[i] != 0 && (i == 0 || changed[i - 1] == 0);
  }
  return count;
}

// Applies a unified report to `text`: what `patch` would make of it.
std::optional<std::string> apply_report(const std::string& text, const std::string& report) {
  const ralu::LineTable lines(text);
  std::string result;
  std::size_t next_old = 0;  // the next old line not yet copied
  char last_marker = 0;
  std::size_t at = report.find("\n@@");
  while (at != std::string::npos && at + 1 < report.size()) {
    at += 1;
    const std::size_t end = report.find('\n', at);
    if (report.compare(at, 2, "@@") == 0) {
      std::size_t start = std::stoul(report.substr(at + 4));
      const std::size_t comma = report.find_first_of(", ", at + 4);
      const bool empty = report[comma] == ',' && report.compare(comma, 3, ",0 ") == 0;
      if (!empty) --start;  // 1-based, or the line before an empty range
      if (start < next_old || start > lines.size()) return std::nullopt;
      for (; next_old < start; ++next_old) result += lines.line(next_old);
    } else if (report[at] == ' ' || report[at] == '-') {
      if (next_old >= lines.size()) return std::nullopt;
      if (report[at] == ' ') result += lines.line(next_old);
      ++next_old;
    } else if (report[at] == '+') {
      result += report.substr(at + 1, end - at);
    } else if (report[at] == '\\' && last_marker == '+') {
      result.pop_back();  // the line added before has no line end
    }
    last_marker = report[at];
    at = end;
  }
  for (; next_old < lines.size(); ++next_old) result += lines.line(next_old);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const std::uint8_t flags = input.byte();
  std::string texts[2];
  int side = 0;
  for (const char c : input.rest()) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte == switch_input) {
      side = 1;
    } else {
      texts[side] += vocabulary[byte % std::size(vocabulary)];
    }
  }
  // Either input may lack its last line end.
  for (int i = 0; i < 2; ++i) {
    if ((flags & (2 << i)) != 0 && !texts[i].empty()) texts[i].pop_back();
  }
  const std::string& old_text = texts[0];
  const std::string& new_text = texts[1];

  const ralu::LineTable old_lines(old_text), new_lines(new_text);
  const ralu::LineClasses classes = ralu::classify_lines({old_lines, 0, old_lines.size()},
                                                         {new_lines, 0, new_lines.size()}, {flags});
  Marks old_changed(old_lines.size(), 0), new_changed(new_lines.size(), 0);
  ralu::mark_edits(classes.old_ids, classes.new_ids, old_changed, new_changed, true);
  const Marks old_before = old_changed, new_before = new_changed;

  ralu::compact({classes.old_ids, old_changed, old_lines},
                {classes.new_ids, new_changed, new_lines});
  check(kept(old_lines, old_changed) == kept(new_lines, new_changed));
  check(std::count(old_changed.begin(), old_changed.end(), 1) ==
        std::count(old_before.begin(), old_before.end(), 1));
  check(std::count(new_changed.begin(), new_changed.end(), 1) ==
        std::count(new_before.begin(), new_before.end(), 1));
  check(groups(old_changed) <= groups(old_before));
  check(groups(new_changed) <= groups(new_before));

  const ralu::EditScript script =
      ralu::compare_texts(old_text, new_text, {(flags & 1) != 0, std::nullopt});
  test_support::StringSink sink;
  const platform::LocalTime time{2024, 1, 2, 3, 4, 5, 6, 0};
  ralu::write_unified(sink, {"a", time}, {"b", time}, old_text, new_text, script, flags >> 5);
  check(sink.text.empty() == (old_text == new_text));
  check(apply_report(old_text, sink.text) == new_text);
  return 0;
}
