#include "ralu/pair/region_comparison.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "ralu/engine/changes.h"
#include "ralu/engine/lines.h"
#include "ralu/formats/ed.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/piecewise_report.h"
#include "ralu/pair/ignored_changes.h"
#include "ralu/pair/pair_names.h"
#include "ralu/pair/passed_function_lines.h"
#include "ralu/pair/region_pass.h"
#include "ralu/pair/verdicts.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// Compares each piece as the plan asks and writes its hunks.
class ReportingSink : public PieceSink {
 public:
  ReportingSink(const RunPlan& plan, PiecewiseReport& report, const HashSettings& hashing,
                const std::array<std::string, 2>& paths, ByteSource& old_source, PairOutput& out)
      : plan_(plan),
        report_(report),
        out_(out),
        hashing_(hashing),
        paths_(paths),
        old_source_(old_source),
        function_lines_(plan.show_c_function, plan.function_patterns,
                        plan.matching.strip_trailing_cr) {}

  bool take(const Piece& piece) override {
    // The engine numbers a piece's lines in 32 bits.
    check_line_count(piece.old_text, paths_[0]);
    check_line_count(piece.new_text, paths_[1]);
    std::string old_storage, new_storage;
    std::string_view old_text = piece.old_text;
    std::string_view new_text = piece.new_text;
    if (plan_.report.form == OutputForm::ed) {
      // ed cannot write a line without its end: the last lines get one.
      if (piece.old_at_end) old_text = with_final_line_end(old_text, old_storage);
      if (piece.new_at_end) new_text = with_final_line_end(new_text, new_storage);
    }
    EditScript script = compare_texts(old_text, new_text, {false, hashing_});
    if (plan_.ignore_blank_lines || !plan_.ignore_patterns.empty()) {
      mark_ignored_groups(script, {old_text, old_text}, {new_text, new_text},
                          plan_.ignore_blank_lines, plan_.ignore_patterns);
    }
    if (plan_.brief) {
      differ_ = HunkWalker(script, 0).next().has_value();
      return !differ_;
    }
    ReportStyle style;
    // The palette is settled by the first piece written, once for the pair.
    if (!palette_) palette_ = plan_.colours ? plan_.colours->palette_for(out_) : nullptr;
    style.palette = *palette_;
    style.old_first_line = piece.old_first_line;
    style.new_first_line = piece.new_first_line;
    style.look = plan_.look;
    style.highlight_changes = plan_.highlight_changes;
    std::optional<FunctionLineFinder> finder;
    if (plan_.shows_function_lines) {
      finder.emplace(old_text, plan_.show_c_function, plan_.function_patterns,
                     plan_.matching.strip_trailing_cr);
      finder->place_in_input(piece.old_first_line, function_line_before(piece));
      style.function_lines = &*finder;
    }
    differ_ = report_.write(old_text, new_text, script, style) || differ_;
    return true;
  }

  bool differ() const { return differ_; }

 private:
  // The function line shown for a hunk of the piece with none in the piece
  // before it: the last in the lines passed since the piece before, else
  // what that piece's lines held, else what was before them.
  const std::string& function_line_before(const Piece& piece) {
    if (std::optional<std::string> found =
            last_function_line(old_source_, searched_to_, piece.old_offset, function_lines_)) {
      last_shown_ = std::move(*found);
    }
    searched_to_ = piece.old_offset;
    shown_before_piece_ = last_shown_;
    MemorySource piece_lines(piece.old_text);
    if (std::optional<std::string> found =
            last_function_line(piece_lines, 0, piece.old_text.size(), function_lines_)) {
      last_shown_ = std::move(*found);
    }
    searched_to_ = piece.old_offset + piece.old_text.size();
    return shown_before_piece_;
  }

  const RunPlan& plan_;
  PiecewiseReport& report_;
  PairOutput& out_;  // where a palette that cannot be read is said
  std::optional<const Palette*> palette_;
  HashSettings hashing_;
  static void check_line_count(std::string_view text, const std::string& path) {
    if (text.size() > max_lines && count_lines(text) > max_lines) fail_run(path, "too many lines");
  }

  const std::array<std::string, 2>& paths_;
  ByteSource& old_source_;
  FunctionLineMatcher function_lines_;
  std::uint64_t searched_to_ = 0;  // the old input before this was searched for function lines
  std::string last_shown_;         // the last function line found there
  std::string shown_before_piece_;
  bool differ_ = false;
};

std::string heading_line(const std::string* heading, const PairNames& names) {
  if (heading == nullptr) return {};
  return *heading + " " + names.header(0) + " " + names.header(1) + "\n";
}

RegionRule region_rule(const RunPlan& plan) {
  RegionRule rule;
  // A window is read three horizons long, so the count must stay clear of
  // overflow; the window's bytes are bounded anyway.
  if (plan.horizon_lines) rule.horizon_lines = std::min(*plan.horizon_lines, max_lines);
  const OutputForm form = plan.report.form;
  rule.context =
      form == OutputForm::unified || form == OutputForm::context ? plan.report.context : 0;
  rule.hashing = random_hash_settings();
  return rule;
}

}  // namespace

bool compares_in_regions(const RunPlan& plan, OpenedPair& pair) {
  if (!plan.regions_allowed) return false;
  return plan.horizon_lines || pair.source(0).size() > regions_from_bytes ||
         pair.source(1).size() > regions_from_bytes;
}

int compare_in_regions(const RunPlan& plan, OpenedPair& pair, const std::string* heading,
                       PairOutput& out) {
  const PairNames names(plan, {pair.text(0).path, pair.text(1).path});
  const auto say = [&](Verdict verdict) {
    out.write(verdict_line(verdict, names.plain(0), names.plain(1)));
    return verdict == Verdict::identical ? exit_same : exit_different;
  };
  const auto same = [&] {
    if (plan.report_identical) say(Verdict::identical);
    return exit_same;
  };

  PiecewiseReport report(
      out, plan.report,
      {names.label(0, pair.text(0).modified), names.label(1, pair.text(1).modified)},
      heading_line(heading, names));
  const RegionRule rule = region_rule(plan);
  const std::array<std::string, 2> paths{pair.text(0).path, pair.text(1).path};
  ReportingSink sink(plan, report, rule.hashing, paths, pair.source(0), out);
  const RestBytes rest = [&](std::size_t side, std::uint64_t begin, std::uint64_t end) {
    return pair.bytes(side, begin, end);
  };
  const PassEnd end = pass_in_regions(pair.source(0), pair.source(1), rule, rest, sink);
  pair.check_sizes_kept();
  if (end == PassEnd::identical) return same();
  report.finish();
  if (plan.brief) return sink.differ() ? say(Verdict::differ) : same();
  int status = sink.differ() ? exit_different : same();
  if (plan.report.form == OutputForm::ed) {
    // An ed script has lost the missing line end of an input's last line.
    for (std::size_t side = 0; side < 2; ++side) {
      if (!lacks_final_line_end(pair.source(side))) continue;
      out.warn(trouble_line(names.plain(side), "No newline at end of file"));
      status = exit_trouble;
    }
  }
  return status;
}

}  // namespace ralu
