#include "ralu/pair/line_keys.h"

#include <algorithm>

namespace ralu {

namespace {

char fold_case(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

// Builds one key. White space is held back until a byte that is not white
// space follows, so that white space at the end can be dropped.
class KeyBuilder {
 public:
  // With moving_columns a backspace moves the column one back and a carriage
  // return to the start; otherwise every byte but a tab is one column wide.
  KeyBuilder(const LineMatching& matching, std::string& key, bool moving_columns = false)
      : matching_(matching), key_(key), moving_columns_(moving_columns) {}

  void add(char byte) {
    if (is_white_space(byte)) {
      add_white_space(byte);
    } else {
      flush_white_space();
      key_.push_back(matching_.ignore_case ? fold_case(byte) : byte);
      advance_column(byte);
    }
  }

  // The end of the line: white space held back stays out when it is ignored.
  void finish() {
    if (!matching_.ignores_white_space()) flush_white_space();
  }

 private:
  void add_white_space(char byte) {
    if (matching_.ignore_all_space) return;
    if (matching_.ignore_space_change) {
      held_.assign(1, ' ');
      return;
    }
    if (byte == '\t' && matching_.ignore_tab_expansion) {
      const std::size_t blanks = matching_.tabsize - column_ % matching_.tabsize;
      held_.append(blanks, ' ');
      column_ += blanks;
      return;
    }
    held_.push_back(byte);
    advance_column(byte);
  }

  void advance_column(char byte) {
    if (moving_columns_ && byte == '\b') {
      column_ -= column_ > 0 ? 1 : 0;
    } else if (moving_columns_ && byte == '\r') {
      column_ = 0;
    } else {
      ++column_;
    }
  }

  void flush_white_space() {
    key_ += held_;
    held_.clear();
  }

  const LineMatching& matching_;
  std::string& key_;
  std::string held_;
  bool moving_columns_;
  std::size_t column_ = 0;
};

// Whether the text holds a backspace or a carriage return. (A plain loop: a
// find_first_of over a set of two costs a library call a byte.)
bool moves_column(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char byte) { return byte == '\b' || byte == '\r'; });
}

void append_key(std::string_view line, const LineMatching& matching, std::string& key,
                bool moving_columns) {
  KeyBuilder builder(matching, key, moving_columns);
  for (const char byte : line) builder.add(byte);
  builder.finish();
}

}  // namespace

std::string strip_trailing_cr(std::string bytes) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    bytes[kept++] = bytes[i];
  }
  bytes.resize(kept);
  return bytes;
}

void append_line_key(std::string_view line, const LineMatching& matching, std::string& key) {
  const bool tabs_expanded =
      matching.ignore_tab_expansion && !matching.ignore_space_change && !matching.ignore_all_space;
  if (!tabs_expanded || !moves_column(line)) {
    return append_key(line, matching, key, false);
  }
  // diff matches a tab after a backspace or carriage return with blanks only
  // when they line up both ways: with those bytes one column wide, and with
  // them moving the column. Such a key holds both expansions, the first after
  // its length so that the pair reads back one way only. Only a key that
  // keeps a backspace or carriage return takes this form (one dropped as
  // trailing white space is followed by no tab), so it never equals a key of
  // the plain form, which has neither.
  std::string one_wide;
  append_key(line, matching, one_wide, false);
  if (!moves_column(one_wide)) {
    key += one_wide;
    return;
  }
  key += std::to_string(one_wide.size());
  key += ':';
  key += one_wide;
  append_key(line, matching, key, true);
}

std::string key_text(std::string_view input, const LineMatching& matching) {
  std::string text;
  text.reserve(input.size());
  while (!input.empty()) {
    const std::size_t line_feed = input.find('\n');
    const bool line_end = line_feed != std::string_view::npos;
    const std::string_view line = input.substr(0, line_feed);
    append_line_key(line, matching, text);
    if (line_end || matching.ignores_white_space()) text.push_back('\n');
    input.remove_prefix(line_end ? line_feed + 1 : input.size());
  }
  return text;
}

}  // namespace ralu
