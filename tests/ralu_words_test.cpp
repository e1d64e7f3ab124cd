// The word report's parts called directly: how a block splits into words,
// and the word script the engine's search finds.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/word_pattern.h"
#include "ralu/formats/word_script.h"
#include "ralu/formats/words.h"

namespace {

using ralu::Word;
using ralu::WordChange;

std::vector<std::string> words_of(const std::string& text, const char* pattern) {
  std::unique_ptr<platform::WordPattern> compiled;
  if (pattern != nullptr) {
    std::string error;
    compiled = platform::compile_word_pattern(pattern, error);
    EXPECT_NE(compiled, nullptr) << pattern << ": " << error;
  }
  std::vector<Word> words;
  ralu::split_words(text, compiled.get(), words);
  std::vector<std::string> shown;
  for (const Word& word : words) shown.push_back(text.substr(word.begin, word.end - word.begin));
  return shown;
}

TEST(RaluWords, SplitAsGitSplitsThem) {
  struct Case {
    std::string text;
    const char* pattern;
    std::vector<std::string> words;
  };
  const std::vector<Case> cases = {
      // Blank, tab, CR and LF part words; vertical tab and form feed do not.
      {"  a  b\tc\r\nd\n", nullptr, {"a", "b", "c", "d"}},
      {"a\vb a\fb\n", nullptr, {"a\vb", "a\fb"}},
      {"\n \t\n", nullptr, {}},
      {"", nullptr, {}},
      // With a pattern, what it does not match is passed over.
      {"foo(x)+1\n", "[a-z]+", {"foo", "x"}},
      {"foo(x)+1\n", ".", {"f", "o", "o", "(", "x", ")", "+", "1"}},
      {"a\nb\n", ".", {"a", "b"}},  // no dot matches a line feed
      // A match is cut at its first line feed, one that starts with a line
      // feed ends the search, and ^ matches where each search starts.
      {"ab\ncd\n", "[a-z\n]+", {"ab"}},
      {"ab\ncd\n", "[a-z]+\n?", {"ab", "cd"}},
      {"aaa\n", "^a", {"a", "a", "a"}},
      // The first empty match ends the search, as in git.
      {"ab cd\n", "x*", {}},
      {"ab cd\n", "[a-z]|\n", {"a", "b", "c", "d"}},
      {"a\n\nb\n", "[a-z]|\n", {"a"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(words_of(c.text, c.pattern), c.words)
        << c.text << " / " << (c.pattern ? c.pattern : "");
  }
}

TEST(RaluWords, BadPatternSaysWhy) {
  std::string error;
  EXPECT_EQ(platform::compile_word_pattern("(", error), nullptr);
  EXPECT_FALSE(error.empty());
}

// The changes as "old_begin-old_end/new_begin-new_end".
std::vector<std::string> changes_of(const std::string& old_text, const std::string& new_text,
                                    bool ignore_case) {
  std::vector<Word> old_words, new_words;
  ralu::split_words(old_text, nullptr, old_words);
  ralu::split_words(new_text, nullptr, new_words);
  ralu::WordScripter scripter(ignore_case, false);
  std::vector<std::string> shown;
  for (const WordChange& c : scripter.compare(old_text, old_words, new_text, new_words)) {
    shown.push_back(std::to_string(c.old_begin) + "-" + std::to_string(c.old_end) + "/" +
                    std::to_string(c.new_begin) + "-" + std::to_string(c.new_end));
  }
  return shown;
}

TEST(RaluWords, ScriptsAreShortestAndGrouped) {
  struct Case {
    std::string old_text, new_text;
    bool ignore_case;
    std::vector<std::string> changes;
  };
  const std::vector<Case> cases = {
      {"a b c\n", "a b c\n", false, {}},
      {"a b c\n", "a x c\n", false, {"1-2/1-2"}},
      {"a b c\n", "a c\n", false, {"1-2/1-1"}},
      {"a c\n", "a b c\n", false, {"1-1/1-2"}},
      {"a b c d\n", "x b y d\n", false, {"0-1/0-1", "2-3/2-3"}},
      {"a b\n", "c d e\n", false, {"0-2/0-3"}},
      {"\n", "a b\n", false, {"0-0/0-2"}},
      {"a b\n", "  \n", false, {"0-2/0-0"}},
      // The same words however the blanks between them change.
      {"a  b\tc\n", "a b c\n", false, {}},
      {"Foo bar\n", "foo baz\n", false, {"0-2/0-2"}},
      {"Foo bar\n", "foo baz\n", true, {"1-2/1-2"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(changes_of(c.old_text, c.new_text, c.ignore_case), c.changes)
        << c.old_text << " -> " << c.new_text;
  }
}

// A scripter keeps its tables from block to block: a word of one block must
// not pair with a word of an earlier one.
TEST(RaluWords, BlocksAreComparedApart) {
  std::vector<Word> old_words, new_words;
  ralu::WordScripter scripter(false, false);
  const std::string first_old = "a b\n", first_new = "b c\n";
  ralu::split_words(first_old, nullptr, old_words);
  ralu::split_words(first_new, nullptr, new_words);
  EXPECT_EQ(scripter.compare(first_old, old_words, first_new, new_words).size(), 2U);
  const std::string second_old = "c\n", second_new = "a\n";
  ralu::split_words(second_old, nullptr, old_words);
  ralu::split_words(second_new, nullptr, new_words);
  const std::vector<WordChange>& changes =
      scripter.compare(second_old, old_words, second_new, new_words);
  ASSERT_EQ(changes.size(), 1U);
  EXPECT_EQ(changes[0].old_end - changes[0].old_begin, 1U);
  EXPECT_EQ(changes[0].new_end - changes[0].new_begin, 1U);
}

}  // namespace
