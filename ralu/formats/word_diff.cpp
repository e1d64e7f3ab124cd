#include "ralu/formats/word_diff.h"

#include <string>
#include <vector>

#include "ralu/engine/lines.h"
#include "ralu/formats/hunks.h"
#include "ralu/formats/report_writer.h"
#include "ralu/formats/unified.h"
#include "ralu/formats/word_script.h"
#include "ralu/formats/words.h"

namespace ralu {

namespace {

// How one kind of piece is written: its colour, and the marks around it.
struct PieceLook {
  std::string_view colour;
  std::string_view prefix;
  std::string_view suffix;
};

// How a mode writes the pieces of a block, and what stands for a line end
// within them.
struct ModeLook {
  PieceLook deleted;
  PieceLook inserted;
  PieceLook unchanged;
  std::string_view line_end;
};

ModeLook mode_look(WordDiffMode mode, const Palette* palette) {
  const std::string_view deleted = palette != nullptr ? palette->deleted : "";
  const std::string_view inserted = palette != nullptr ? palette->inserted : "";
  switch (mode) {
    case WordDiffMode::porcelain:
      return {{"", "-", "\n"}, {"", "+", "\n"}, {"", " ", "\n"}, "~\n"};
    case WordDiffMode::color:
      return {{deleted, "", ""}, {inserted, "", ""}, {}, "\n"};
    case WordDiffMode::plain:
    case WordDiffMode::none:
      break;
  }
  return {{deleted, "[-", "-]"}, {inserted, "{+", "+}"}, {}, "\n"};
}

// The text of lines [begin, end), which follow one another in the input,
// ending in a line feed: a last line that lacks one is given it, as git
// reads every line of a word report with its end.
std::string_view block_text(LineCursor& lines, std::size_t begin, std::size_t end,
                            std::string& storage) {
  if (begin == end) return {};
  const std::string_view first = lines.line(begin);
  const std::string_view last = lines.line(end - 1);
  const std::string_view text(first.data(),
                              static_cast<std::size_t>(last.data() + last.size() - first.data()));
  if (text.ends_with('\n')) return text;
  storage.assign(text);
  storage.push_back('\n');
  return storage;
}

class WordReport {
 public:
  WordReport(ReportWriter& out, const WordDiffForm& form)
      : out_(out),
        form_(form),
        look_(mode_look(form.mode, out.palette())),
        scripter_(form.ignore_case, form.minimal) {}

  void write_hunk(LineCursor& old_lines, LineCursor& new_lines, const EditScript& script,
                  const Hunk& hunk) {
    write_hunk_header(hunk);
    std::size_t i = hunk.old_begin;
    for (std::size_t g = hunk.first_group; g < hunk.end_group; ++g) {
      const ChangeGroup& group = script.groups[g];
      for (; i < group.old_begin; ++i) write_unchanged_line(old_lines.line(i));
      const std::string_view old_text =
          block_text(old_lines, group.old_begin, group.old_end, old_storage_);
      const std::string_view new_text =
          block_text(new_lines, group.new_begin, group.new_end, new_storage_);
      write_block(old_text, new_text);
      i = group.old_end;
    }
    for (; i < hunk.old_end; ++i) write_unchanged_line(old_lines.line(i));
  }

 private:
  // "@@ -1,3 +1,4 @@" and the function line, coloured as git colours them.
  void write_hunk_header(const Hunk& hunk) {
    const Palette* palette = out_.palette();
    if (palette != nullptr) out_.put(palette->hunk);
    write_unified_hunk_ranges(out_, hunk);
    if (palette != nullptr) out_.put(palette->reset);
    const ReportStyle& style = out_.style();
    if (style.function_lines != nullptr) {
      const std::string_view text =
          style.function_lines->before(style.old_first_line + hunk.old_begin);
      if (!text.empty()) {
        out_.put(' ');
        if (palette != nullptr) out_.put(palette->reset);
        out_.put(text);
        if (palette != nullptr) out_.put(palette->reset);
      }
    }
    out_.put('\n');
  }

  // A context line: as it is, after a blank for porcelain, which ends it
  // with its line-end mark too; in colour a line with text ends with a
  // reset, as git's do.
  void write_unchanged_line(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    const bool porcelain = form_.mode == WordDiffMode::porcelain;
    if (porcelain) out_.put(' ');
    out_.put(line);
    if (!line.empty() && out_.palette() != nullptr) out_.put(out_.palette()->reset);
    out_.put('\n');
    if (porcelain) out_.put(look_.line_end);
  }

  // Bytes of a block in one look: each stretch between line ends in its
  // colour and marks, each line end as the mode writes it.
  void write_piece(std::string_view bytes, const PieceLook& look) {
    const Palette* palette = out_.palette();
    while (!bytes.empty()) {
      const std::size_t line_end = bytes.find('\n');
      const std::string_view stretch = bytes.substr(0, line_end);
      if (!stretch.empty()) {
        const bool coloured = palette != nullptr && !look.colour.empty();
        if (coloured) out_.put(look.colour);
        out_.put(look.prefix);
        out_.put(stretch);
        out_.put(look.suffix);
        if (coloured) out_.put(palette->reset);
      }
      if (line_end == std::string_view::npos) return;
      out_.put(look_.line_end);
      bytes.remove_prefix(line_end + 1);
    }
  }

  // A block of deleted lines and the inserted lines that replace them: the
  // new text, with the deleted words before each change's inserted ones.
  // What lies between words is shown as the new text has it; within a
  // change, as each side has it.
  void write_block(std::string_view old_text, std::string_view new_text) {
    if (new_text.empty()) return write_piece(old_text, look_.deleted);
    split_words(old_text, form_.pattern.get(), old_words_);
    split_words(new_text, form_.pattern.get(), new_words_);
    const std::vector<WordChange>& changes =
        scripter_.compare(old_text, old_words_, new_text, new_words_);
    std::size_t shown = 0;  // how much of the new text is written
    for (const WordChange& change : changes) {
      const Word deleted = span_of(old_words_, change.old_begin, change.old_end);
      const Word inserted = span_of(new_words_, change.new_begin, change.new_end);
      write_piece(new_text.substr(shown, inserted.begin - shown), look_.unchanged);
      write_piece(old_text.substr(deleted.begin, deleted.end - deleted.begin), look_.deleted);
      write_piece(new_text.substr(inserted.begin, inserted.end - inserted.begin), look_.inserted);
      shown = inserted.end;
    }
    write_piece(new_text.substr(shown), look_.unchanged);
  }

  // The bytes from the first word of [begin, end) to the end of its last;
  // for no words, the empty span at the end of the word before (or at the
  // text's start), so that the blank after it follows the change.
  static Word span_of(const std::vector<Word>& words, std::size_t begin, std::size_t end) {
    if (begin == end) {
      const std::size_t at = begin == 0 ? 0 : words[begin - 1].end;
      return {at, at};
    }
    return {words[begin].begin, words[end - 1].end};
  }

  ReportWriter& out_;
  const WordDiffForm& form_;
  ModeLook look_;
  WordScripter scripter_;
  std::vector<Word> old_words_, new_words_;
  std::string old_storage_, new_storage_;
};

}  // namespace

const Palette& git_palette() {
  static const Palette palette{"\x1b[1m", "\x1b[36m", "\x1b[31m", "\x1b[32m", "\x1b[m"};
  return palette;
}

void write_word_diff(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                     std::string_view old_text, std::string_view new_text, const EditScript& script,
                     std::size_t context, const WordDiffForm& form, const ReportStyle& style) {
  HunkWalker hunks(script, context);
  std::optional<Hunk> hunk = hunks.next();
  if (!hunk) return;
  ReportWriter writer(out, style);
  if (style.header) {
    write_file_label(writer, "--- ", old_label);
    write_file_label(writer, "+++ ", new_label);
  }
  LineCursor old_lines(old_text, style.old_lines), new_lines(new_text, style.new_lines);
  WordReport report(writer, form);
  for (; hunk; hunk = hunks.next()) report.write_hunk(old_lines, new_lines, script, *hunk);
}

}  // namespace ralu
