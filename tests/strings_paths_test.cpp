// Paths: the extension of the name part, splitting at the first wildcard
// component, and the shallow-before-deep order of file lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/common.h"
#include "tests/support/c_string.h"

namespace {

using test_support::c_string;
using test_support::offset_in;

const auto case_name = [](const auto& info) { return std::string(info.param.name); };

struct Extension {
  const char* name;
  std::string path;
  std::ptrdiff_t dot;
};

class FindExtTable : public testing::TestWithParam<Extension> {};

TEST_P(FindExtTable, FindsLastDotOfNamePart) {
  const auto path = c_string(GetParam().path);
  EXPECT_EQ(offset_in(path, common::findExt(path.data())), GetParam().dot);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, FindExtTable,
    testing::Values(Extension{"plain", "name.txt", 4}, Extension{"no_dot", "name", -1},
                    Extension{"empty", "", -1},
                    Extension{"dots_only_in_directories", "a.b\\c.d\\name", -1},
                    Extension{"last_of_several", "a.b\\name.tar.gz", 12},
                    Extension{"ends_in_dot", "dir\\name.", 8},
                    Extension{"dot_first", "dir.x\\.profile", 6},
                    Extension{"wildcards_in_components", "*.d\\s?c.x\\*.c", 11},
                    // The trail byte 0x5C does not start the name part.
                    Extension{"trail_backslash_in_name",
                              "a.b\x95\x5c"
                              "c",
                              1},
                    Extension{"dot_before_trail_backslash",
                              "x\\a.\x95\x5c"
                              "b",
                              3}),
    case_name);

struct Split {
  const char* name;
  std::string path;
  std::string head;
  std::string tail;
};

class SepnameTable : public testing::TestWithParam<Split> {};

TEST_P(SepnameTable, SplitsAfterFirstWildcardComponent) {
  const Split& c = GetParam();
  auto path = c_string(c.path);
  std::vector<char> head(c.path.size() + 1, 'h');
  std::vector<char> tail(c.path.size() + 1, 't');
  EXPECT_EQ(common::sepname(path.data(), head.data(), tail.data()), 0);
  EXPECT_STREQ(head.data(), c.head.c_str());
  EXPECT_STREQ(tail.data(), c.tail.c_str());
  // Only the separator after head, if any, has become a terminator.
  std::string cut = c.path;
  if (c.head.size() < cut.size()) cut[c.head.size()] = '\0';
  EXPECT_EQ(path, c_string(cut));
}

INSTANTIATE_TEST_SUITE_P(
    Strings, SepnameTable,
    testing::Values(Split{"question_mark_inside", "d\\e?f\\g", "d\\e?f", "g"},
                    Split{"star_component", "src\\*\\obj\\*.o", "src\\*", "obj\\*.o"},
                    Split{"dots_and_wildcards", "a.b\\c?.d\\e.f\\g*", "a.b\\c?.d", "e.f\\g*"},
                    Split{"wildcard_first", "*\\x", "*", "x"},
                    Split{"separator_at_end", "a*\\", "a*", ""},
                    Split{"no_wildcard", "a\\b\\c", "a\\b\\c", ""},
                    Split{"wildcard_in_last_component", "a\\b\\*.c", "a\\b\\*.c", ""},
                    Split{"empty", "", "", ""},
                    // The separator search skips a trail byte 0x5C.
                    Split{"trail_backslash_after_wildcard", "a?\x95\x5c\\b", "a?\x95\x5c", "b"}),
    case_name);

// An entry type of a caller: the path first, then whatever else it keeps.
struct Entry {
  const char* path;
  int other;
};

int compare_paths(const char* a, const char* b) {
  const Entry first{a, 1};
  const Entry second{b, 2};
  const Entry* const elements[] = {&first, &second};
  return common::comp_file(&elements[0], &elements[1]);
}

struct PathPair {
  const char* name;
  std::string a;
  std::string b;
  int expected;
};

class CompFileTable : public testing::TestWithParam<PathPair> {};

TEST_P(CompFileTable, ShallowBeforeDeepThenByStrCmp) {
  const PathPair& c = GetParam();
  const auto a = c_string(c.a);
  const auto b = c_string(c.b);
  EXPECT_EQ(compare_paths(a.data(), b.data()), c.expected);
  EXPECT_EQ(compare_paths(b.data(), a.data()), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Strings, CompFileTable,
    testing::Values(PathPair{"no_backslash_first", "zzz", "a\\a", -1},
                    PathPair{"fewer_levels_first", "z\\z", "a\\a\\a", -1},
                    PathPair{"case_blind", "Dir\\File", "dir\\file", 0},
                    PathPair{"same_level_by_name", "a\\b", "a\\c", -1},
                    PathPair{"trail_backslash_is_no_level", "\x95\x5cz", "a\\b", -1},
                    PathPair{"lead_byte_before_terminator", "a\\\x81", "a\\\x81", 0}),
    case_name);

TEST(Strings, QsortWithCompFileListsShallowBeforeDeepBackslashFirst) {
  const std::vector<std::string> paths = {"a\\b\\c",   "b\\c", "a!\\x", "a b\\z",
                                          "\x95\x5cq", "a\\b", "B",     "a"};
  std::vector<std::vector<char>> strings;
  std::vector<Entry> entries;
  for (const std::string& path : paths) strings.push_back(c_string(path));
  for (auto& text : strings) entries.push_back({text.data(), 0});
  std::vector<Entry*> elements;
  for (Entry& entry : entries) elements.push_back(&entry);

  // The elements sorted are the pointers, as comp_file expects.
  // NOLINTNEXTLINE(bugprone-sizeof-expression)
  std::qsort(elements.data(), elements.size(), sizeof(Entry*), common::comp_file);

  std::vector<std::string> sorted;
  for (const Entry* entry : elements) sorted.emplace_back(entry->path);
  const std::vector<std::string> expected = {"a",      "B",     "\x95\x5cq", "a\\b",
                                             "a b\\z", "a!\\x", "b\\c",      "a\\b\\c"};
  EXPECT_EQ(sorted, expected);
}

}  // namespace
