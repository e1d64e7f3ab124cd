// Two directories compared by the names they hold, as GNU diff compares
// them: names in order, each name of one side paired with the same name of
// the other, and what each pair is said to be. The walk itself writes
// nothing; it hands what it finds, in the order it is to be reported, to a
// sink, which compares the files and writes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "ralu/trees/tree_options.h"

namespace ralu {

struct TreeEvent {
  enum class Kind {
    line,     // a line for standard output, such as "Only in a: x"
    trouble,  // a line for standard error, such as "a/x: Permission denied"
    files,    // two regular files (or one, beside an absent one) to compare
  };
  Kind kind = Kind::line;
  std::string text;                  // the whole line, line end included
  int status = 0;                    // what a line or trouble means for the exit status
  std::array<std::string, 2> paths;  // files: the two paths
  std::array<bool, 2> absent{};      // files: a side that does not exist, read as empty
  // files: their status as the walk read it (of a side not absent)
  std::array<platform::EntryStatus, 2> statuses{};
  // files: false when the walk read no status, both names being listed as
  // regular files; they are read, and may prove otherwise, when the pair is
  // looked at. A walk that queried every name would keep the other cores
  // waiting for pairs.
  bool statuses_known = true;
};

class TreeSink {
 public:
  virtual ~TreeSink() = default;
  // Takes the next event; false when the walk is to stop, the run being over.
  virtual bool take(TreeEvent event) = 0;
};

// What the walk needs to know beyond the tree options.
struct TreeWalk {
  const TreeOptions& options;
  bool new_file = false;                // -N: a name on one side only is compared with nothing
  bool report_identical = false;        // -s: one file named twice is said to be identical
  std::vector<ExcludeOption> excluded;  // the patterns of -x and the lines of -X files
  // --label: what stands for the first and second file where a line names
  // two entries of different kinds.
  std::vector<std::string> labels;
};

// Walks the directories `roots`; an `absent` root does not exist and is read
// as an empty directory.
void walk_trees(const TreeWalk& walk, const std::array<std::string, 2>& roots,
                std::array<bool, 2> absent, TreeSink& sink);

// The order names take: bytes, or under `fold_case` ASCII letters of either
// case alike first and bytes after.
bool name_before(const std::string& a, const std::string& b, bool fold_case);

}  // namespace ralu
