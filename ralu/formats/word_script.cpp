#include "ralu/formats/word_script.h"

#include <algorithm>
#include <span>
#include <string>

#include "ralu/engine/classes.h"
#include "ralu/engine/edit_search.h"

namespace ralu {

namespace {

char folded(char byte, bool ignore_case) {
  return ignore_case && byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

}  // namespace

std::size_t WordScripter::WordHash::operator()(std::string_view word) const {
  // Keyed with the process's secret seed, as lines are: no input can be
  // made of words that all land in one bucket. Under -i the hash is of the
  // word with its letters folded.
  const HashSettings settings = random_hash_settings();
  if (!ignore_case) return static_cast<std::size_t>(hash_line(word, settings));
  std::string folded_word(word);
  for (char& byte : folded_word) byte = folded(byte, true);
  return static_cast<std::size_t>(hash_line(folded_word, settings));
}

bool WordScripter::WordEqual::operator()(std::string_view a, std::string_view b) const {
  if (!ignore_case) return a == b;
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return folded(x, true) == folded(y, true); });
}

WordScripter::WordScripter(bool ignore_case, bool minimal)
    : minimal_(minimal), ids_(0, WordHash{ignore_case}, WordEqual{ignore_case}) {}

void WordScripter::number(std::string_view text, const std::vector<Word>& words,
                          std::vector<std::uint32_t>& ids) {
  ids.clear();
  ids.reserve(words.size());
  for (const Word& word : words) {
    const auto next = static_cast<std::uint32_t>(ids_.size());
    ids.push_back(
        ids_.try_emplace(text.substr(word.begin, word.end - word.begin), next).first->second);
  }
}

const std::vector<WordChange>& WordScripter::compare(std::string_view old_text,
                                                     const std::vector<Word>& old_words,
                                                     std::string_view new_text,
                                                     const std::vector<Word>& new_words) {
  ids_.clear();
  number(old_text, old_words, old_ids_);
  number(new_text, new_words, new_ids_);
  old_changed_.assign(old_ids_.size(), 0);
  new_changed_.assign(new_ids_.size(), 0);
  mark_edits(old_ids_, new_ids_, old_changed_, new_changed_, minimal_);
  collect_change_groups(old_changed_, new_changed_, 0, changes_);
  return changes_;
}

}  // namespace ralu
