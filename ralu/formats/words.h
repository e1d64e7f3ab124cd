// The words of a changed block, as git's word diff finds them: runs of bytes
// other than blank, tab, carriage return and line feed, or the matches of a
// word pattern.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/word_pattern.h"

namespace ralu {

// Bytes [begin, end) of the text split.
struct Word {
  std::size_t begin;
  std::size_t end;
};

// The words of `text` in order. With a pattern, a word is a match, cut at
// the first line feed it holds; the search ends at the first match that is
// empty or starts with a line feed, as git's does, so a pattern that can
// match nothing finds no word from there on.
void split_words(std::string_view text, const platform::WordPattern* pattern,
                 std::vector<Word>& words);

}  // namespace ralu
