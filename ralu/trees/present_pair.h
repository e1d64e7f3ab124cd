// What a name present in both folders comes to once both entries' statuses
// are read: written once, for the walk, which reads them as it goes, and for
// the report, which reads those of two listed regular files only when their
// turn comes near, on whichever thread looks at the pair.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "ralu/trees/tree_walk.h"

namespace ralu {

// An entry's status, or the system's reason it could not be read.
struct StatusRead {
  std::optional<platform::EntryStatus> status;
  std::string failure;
};

StatusRead read_status(const std::string& path, bool follow_links);

// What is done with the pair next.
enum class PairStep {
  report,         // the lines decided, and no more (there may be none)
  enter,          // two directories, to be walked into
  compare_files,  // two regular files
  compare_links,  // two symbolic links, compared by what they hold
};

struct PairDecision {
  PairStep step = PairStep::report;
  std::vector<TreeEvent> lines;  // for PairStep::report: lines and trouble, in order
};

// What the decision depends on beyond the two statuses.
struct PairRules {
  std::span<const std::string> labels;  // --label: the names shown in the lines that name kinds
  bool report_identical = false;        // -s
  // Two directories are walked into, or only said to be common: -r, and
  // only where the walk is (the report cannot go back into the tree).
  bool enter_directories = false;
};

PairDecision decide_present_pair(const std::array<std::string, 2>& paths,
                                 const std::array<StatusRead, 2>& read, const PairRules& rules);

// Two symbolic links compared by their targets: nothing when they hold the
// same, a line when not, trouble when one cannot be read.
std::vector<TreeEvent> compare_link_targets(const std::array<std::string, 2>& paths);

// What two names their folders listed as regular files prove to be when
// their statuses are read, the walk having gone on past their folder: two
// files to compare, or what is reported in their place (nothing, when one
// file is named twice without -s).
struct ListedFilesRead {
  std::optional<std::array<platform::EntryStatus, 2>> files;
  std::vector<TreeEvent> instead;
};

ListedFilesRead read_listed_files(const std::array<std::string, 2>& paths, const TreeWalk& walk);

TreeEvent line_event(std::string text, int status);
TreeEvent trouble_event(const std::string& path, const std::string& reason);

}  // namespace ralu
