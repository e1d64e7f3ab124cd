#include "ralu/line_keys.h"

namespace ralu {

namespace {

constexpr std::size_t tab_width = 8;

char fold_case(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : byte;
}

// Builds one key. White space is held back until a byte that is not white
// space follows, so that white space at the end can be dropped.
class KeyBuilder {
 public:
  KeyBuilder(const LineMatching& matching, std::string& key) : matching_(matching), key_(key) {}

  void add(char byte) {
    if (is_white_space(byte)) {
      add_white_space(byte);
    } else {
      flush_white_space();
      key_.push_back(matching_.ignore_case ? fold_case(byte) : byte);
      ++column_;
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
      const std::size_t blanks = tab_width - column_ % tab_width;
      held_.append(blanks, ' ');
      column_ += blanks;
      return;
    }
    held_.push_back(byte);
    ++column_;
  }

  void flush_white_space() {
    key_ += held_;
    held_.clear();
  }

  const LineMatching& matching_;
  std::string& key_;
  std::string held_;
  std::size_t column_ = 0;
};

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
  KeyBuilder builder(matching, key);
  for (const char byte : line) builder.add(byte);
  builder.finish();
}

std::string key_text(const LineTable& lines, const LineMatching& matching) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool line_end = lines.has_line_end(i);
    std::string_view line = lines.line(i);
    if (line_end) line.remove_suffix(1);
    append_line_key(line, matching, text);
    if (line_end || matching.ignores_white_space()) text.push_back('\n');
  }
  return text;
}

}  // namespace ralu
