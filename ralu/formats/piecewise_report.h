// A report written a piece at a time, as a huge pair is compared region by
// region: each piece's hunks go out as soon as the piece is compared, so the
// first hunk of a pair of any size appears at once. The header (and the line
// that heads a pair within trees) comes before the first hunk shown, and not
// at all when none is. An ed script runs from the last change to the first:
// its pieces are held, each already in that order, and written last first
// when the report ends.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"
#include "ralu/formats/report_form.h"

namespace ralu {

class PiecewiseReport {
 public:
  PiecewiseReport(OutputSink& out, const ReportForm& form, const std::array<FileLabel, 2>& labels,
                  std::string heading)
      : out_(out), form_(form), labels_(labels), heading_(std::move(heading)) {}

  // Writes a piece's hunks, its texts numbered from the style's first lines;
  // whether it had any to show.
  bool write(std::string_view old_text, std::string_view new_text, const EditScript& script,
             ReportStyle style);

  // Ends the report.
  void finish();

  bool shown() const { return shown_; }

 private:
  OutputSink& out_;
  const ReportForm& form_;
  std::array<FileLabel, 2> labels_;
  std::string heading_;
  bool shown_ = false;
  std::vector<std::string> held_ed_pieces_;
};

}  // namespace ralu
