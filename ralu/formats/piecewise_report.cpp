#include "ralu/formats/piecewise_report.h"

#include "ralu/formats/hunks.h"

namespace ralu {

namespace {

class StringSink : public OutputSink {
 public:
  explicit StringSink(std::string& text) : text_(text) {}
  void write(std::string_view bytes) override { text_ += bytes; }

 private:
  std::string& text_;
};

}  // namespace

bool PiecewiseReport::write(std::string_view old_text, std::string_view new_text,
                            const EditScript& script, ReportStyle style) {
  if (!HunkWalker(script, 0).next()) return false;
  style.header = !shown_;
  if (!shown_ && !heading_.empty()) out_.write(heading_);
  shown_ = true;
  if (form_.form == OutputForm::ed) {
    StringSink held(held_ed_pieces_.emplace_back());
    write_report(held, form_, labels_, old_text, new_text, script, style);
    return true;
  }
  write_report(out_, form_, labels_, old_text, new_text, script, style);
  return true;
}

void PiecewiseReport::finish() {
  for (auto piece = held_ed_pieces_.rbegin(); piece != held_ed_pieces_.rend(); ++piece) {
    out_.write(*piece);
  }
  held_ed_pieces_.clear();
}

}  // namespace ralu
