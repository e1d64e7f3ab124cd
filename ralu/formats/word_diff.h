// git's word diff: the unified form's frame, with each block of changed lines
// shown as the words it deletes and inserts within the new text.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/word_pattern.h"
#include "ralu/engine/edit_script.h"
#include "ralu/formats/report.h"

namespace ralu {

// How changed words are marked: `[-old-]{+new+}`, in colour alone, or one
// piece a line for programs (git's porcelain); none is a line report.
enum class WordDiffMode { none, plain, color, porcelain };

// What the command line asks for: the mode, and the word pattern as given.
struct WordDiffRequest {
  std::optional<std::string> pattern;
  WordDiffMode mode = WordDiffMode::none;

  bool operator==(const WordDiffRequest&) const = default;
};

// What a word report needs, settled once a run.
struct WordDiffForm {
  WordDiffMode mode = WordDiffMode::none;
  // Words are its matches; runs of bytes other than white space when null.
  std::shared_ptr<const platform::WordPattern> pattern;
  bool ignore_case = false;  // -i: words differing in ASCII case are equal
  bool minimal = false;      // -d: a shortest word script whatever it costs
};

// git's colours, which a word report in colour has unless --palette sets
// others.
const Palette& git_palette();

// Writes the header and every hunk of the script as a word report, with
// `context` lines of context around each change; nothing when there is no
// hunk to show. The arguments are write_unified's.
void write_word_diff(OutputSink& out, const FileLabel& old_label, const FileLabel& new_label,
                     std::string_view old_text, std::string_view new_text, const EditScript& script,
                     std::size_t context, const WordDiffForm& form, const ReportStyle& style);

}  // namespace ralu
