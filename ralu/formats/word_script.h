// The edit script of two blocks' words, found by the engine's search for
// line scripts, so that a word script is as short as a line script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ralu/engine/edit_script.h"
#include "ralu/formats/words.h"

namespace ralu {

// Old words [old_begin, old_end) replaced by new words [new_begin, new_end);
// one side may be empty, not both.
using WordChange = ChangeGroup;

// Finds word scripts; it keeps its tables from one block to the next, as a
// report compares many small blocks.
class WordScripter {
 public:
  // Under ignore_case, words that differ only in the case of ASCII letters
  // are equal; with minimal the script is a shortest one whatever it costs.
  WordScripter(bool ignore_case, bool minimal);

  // The changes that turn the old words into the new ones, in order; the
  // words between pair up in order.
  const std::vector<WordChange>& compare(std::string_view old_text,
                                         const std::vector<Word>& old_words,
                                         std::string_view new_text,
                                         const std::vector<Word>& new_words);

 private:
  struct WordHash {
    bool ignore_case;
    std::size_t operator()(std::string_view word) const;
  };
  struct WordEqual {
    bool ignore_case;
    bool operator()(std::string_view a, std::string_view b) const;
  };

  void number(std::string_view text, const std::vector<Word>& words,
              std::vector<std::uint32_t>& ids);

  bool minimal_;
  std::unordered_map<std::string_view, std::uint32_t, WordHash, WordEqual> ids_;
  std::vector<std::uint32_t> old_ids_, new_ids_;
  std::vector<std::uint8_t> old_changed_, new_changed_;
  std::vector<WordChange> changes_;
};

}  // namespace ralu
