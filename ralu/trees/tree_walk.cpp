#include "ralu/trees/tree_walk.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/directory.h"
#include "platform/operands.h"
#include "ralu/trees/name_pattern.h"
#include "ralu/trees/present_pair.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

using platform::EntryKind;
using platform::EntryStatus;
using platform::ListedKind;
using platform::ListedName;

unsigned char folded(char byte) {
  const auto b = static_cast<unsigned char>(byte);
  return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

// Negative, zero or positive as `a` comes before, with or after `b` with
// the case of ASCII letters left aside.
int compare_folded(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (folded(a[i]) != folded(b[i])) return folded(a[i]) < folded(b[i]) ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Compares two directories and everything below them.
class Walker {
 public:
  Walker(const TreeWalk& walk, TreeSink& sink) : walk_(walk), options_(walk.options), sink_(sink) {}

  void walk_roots(const std::array<std::string, 2>& roots, std::array<bool, 2> absent) {
    std::array<EntryStatus, 2> status{};
    for (std::size_t k = 0; k < 2; ++k) {
      std::string failure;
      if (absent[k]) continue;
      if (const std::optional<EntryStatus> found =
              platform::entry_status(roots[k].c_str(), true, failure)) {
        status[k] = *found;
      }
    }
    if (!absent[0] && !absent[1] && status[0].same_file(status[1])) return;
    enter(roots, absent, status, true);
  }

 private:
  // A pair of directories below which the walk goes on, unless going on
  // would only come back to where it has been: when each side is a directory
  // already being compared further up (or is absent), the pair loops.
  void enter(const std::array<std::string, 2>& paths, std::array<bool, 2> absent,
             const std::array<EntryStatus, 2>& status, bool top) {
    std::array<bool, 2> seen{};
    for (std::size_t k = 0; k < 2; ++k) {
      seen[k] =
          absent[k] || std::any_of(ancestors_[k].begin(), ancestors_[k].end(),
                                   [&](const EntryStatus& s) { return s.same_file(status[k]); });
    }
    if (seen[0] && seen[1]) {
      return trouble(absent[0] ? paths[1] : paths[0], "recursive directory loop");
    }
    for (std::size_t k = 0; k < 2; ++k) ancestors_[k].push_back(status[k]);
    compare_directories(paths, absent, top);
    for (std::size_t k = 0; k < 2; ++k) ancestors_[k].pop_back();
  }

  void compare_directories(const std::array<std::string, 2>& dirs, std::array<bool, 2> absent,
                           bool top) {
    if (stopped_) return;
    std::array<std::vector<ListedName>, 2> names;
    bool listed = true;
    for (std::size_t k = 0; k < 2; ++k) {
      if (absent[k]) continue;
      std::string failure;
      std::optional<std::vector<ListedName>> found =
          platform::directory_names(dirs[k].c_str(), failure);
      if (found) {
        names[k] = std::move(*found);
      } else {
        trouble(dirs[k], failure);
        listed = false;
      }
    }
    if (!listed) return;
    for (std::vector<ListedName>& side : names) keep_wanted(side, top);
    merge(dirs, names);
  }

  // Leaves out the names excluded, and at the top those before -S's name;
  // puts the rest in order.
  void keep_wanted(std::vector<ListedName>& names, bool top) const {
    const bool fold = options_.ignore_file_name_case;
    std::erase_if(names, [&](const ListedName& listed) {
      const std::string& name = listed.name;
      if (top && options_.starting_file && compare_names(name, *options_.starting_file) < 0) {
        return true;
      }
      return std::any_of(walk_.excluded.begin(), walk_.excluded.end(),
                         [&](const ExcludeOption& pattern) {
                           return name_matches(pattern.text, name, pattern.fold_case);
                         });
    });
    std::sort(names.begin(), names.end(), [&](const ListedName& a, const ListedName& b) {
      return name_before(a.name, b.name, fold);
    });
  }

  int compare_names(const std::string& a, const std::string& b) const {
    if (options_.ignore_file_name_case) return compare_folded(a, b);
    return a.compare(b);
  }

  // Walks both lists of names in order: a name on both sides is a pair, a
  // name on one side alone stands by itself.
  void merge(const std::array<std::string, 2>& dirs,
             const std::array<std::vector<ListedName>, 2>& names) {
    const std::vector<ListedName>& a = names[0];
    const std::vector<ListedName>& b = names[1];
    std::size_t i = 0;
    std::size_t j = 0;
    while (!stopped_ && (i < a.size() || j < b.size())) {
      const int order = i == a.size()   ? 1
                        : j == b.size() ? -1
                                        : compare_names(a[i].name, b[j].name);
      if (order < 0) {
        compare_pair(dirs, {&a[i++], nullptr});
      } else if (order > 0) {
        compare_pair(dirs, {nullptr, &b[j++]});
      } else {
        std::size_t i_end = i + 1;
        std::size_t j_end = j + 1;
        while (i_end < a.size() && compare_names(a[i_end].name, a[i].name) == 0) ++i_end;
        while (j_end < b.size() && compare_names(b[j_end].name, a[i].name) == 0) ++j_end;
        pair_alike(dirs, {a.data() + i, i_end - i}, {b.data() + j, j_end - j});
        i = i_end;
        j = j_end;
      }
    }
  }

  // Names alike but for case (or the one name, when case counts): a name
  // spelled the same on both sides pairs first, the others in order.
  void pair_alike(const std::array<std::string, 2>& dirs, std::span<const ListedName> a,
                  std::span<const ListedName> b) {
    std::vector<bool> a_used(a.size());
    std::vector<bool> b_used(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      for (std::size_t j = 0; j < b.size(); ++j) {
        if (b_used[j] || a[i].name != b[j].name) continue;
        compare_pair(dirs, {&a[i], &b[j]});
        a_used[i] = b_used[j] = true;
        break;
      }
    }
    std::vector<const ListedName*> a_left;
    std::vector<const ListedName*> b_left;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!a_used[i]) a_left.push_back(&a[i]);
    }
    for (std::size_t j = 0; j < b.size(); ++j) {
      if (!b_used[j]) b_left.push_back(&b[j]);
    }
    const std::size_t paired = std::min(a_left.size(), b_left.size());
    for (std::size_t k = 0; k < paired; ++k) compare_pair(dirs, {a_left[k], b_left[k]});
    for (std::size_t k = paired; k < a_left.size(); ++k) compare_pair(dirs, {a_left[k], nullptr});
    for (std::size_t k = paired; k < b_left.size(); ++k) compare_pair(dirs, {nullptr, b_left[k]});
  }

  bool reads_absent_as_empty(std::size_t side) const {
    return walk_.new_file || (side == 0 && options_.unidirectional_new_file);
  }

  void compare_pair(const std::array<std::string, 2>& dirs,
                    const std::array<const ListedName*, 2>& names) {
    if (stopped_) return;
    std::array<std::string, 2> paths;
    for (std::size_t k = 0; k < 2; ++k) {
      paths[k] =
          platform::path_within(dirs[k], names[k] != nullptr ? names[k]->name : names[1 - k]->name);
    }
    for (std::size_t k = 0; k < 2; ++k) {
      if (names[k] != nullptr) continue;
      const std::size_t present = 1 - k;
      if (!reads_absent_as_empty(k)) return only_in(dirs[present], names[present]->name);
      return compare_with_absent(dirs, paths, present, names[present]->name);
    }
    // Two regular files, as far as the listings know, are left for the
    // report to read and compare: the statuses most of a tree's names need
    // are then read on the threads that compare, not on the walk's.
    if (names[0]->kind == ListedKind::regular && names[1]->kind == ListedKind::regular) {
      return files_unread(paths);
    }
    compare_present(paths);
  }

  bool follows_links() const { return !options_.no_dereference; }

  std::optional<EntryStatus> status_of(const std::string& path) {
    StatusRead read = read_status(path, follows_links());
    if (!read.status) trouble(path, read.failure);
    return read.status;
  }

  // A name on one side alone, where the other side's absence reads as empty.
  void compare_with_absent(const std::array<std::string, 2>& dirs,
                           const std::array<std::string, 2>& paths, std::size_t present,
                           const std::string& name) {
    const std::optional<EntryStatus> status = status_of(paths[present]);
    if (!status) return;
    std::array<bool, 2> absent{};
    absent[1 - present] = true;
    std::array<EntryStatus, 2> statuses{};
    statuses[present] = *status;
    switch (status->kind) {
      case EntryKind::regular:
        return files(paths, absent, statuses);
      case EntryKind::directory:
        if (options_.recursive) return enter(paths, absent, statuses, false);
        return line("Common subdirectories: " + paths[0] + " and " + paths[1] + "\n", exit_same);
      case EntryKind::symbolic_link:
        // A link is compared with a link, and there is none on the other side.
        return trouble(paths[1 - present], "No such file or directory");
      default:
        return only_in(dirs[present], name);
    }
  }

  void compare_present(const std::array<std::string, 2>& paths) {
    const std::array<StatusRead, 2> read = {read_status(paths[0], follows_links()),
                                            read_status(paths[1], follows_links())};
    PairDecision decision = decide_present_pair(
        paths, read, {walk_.labels, walk_.report_identical, options_.recursive});
    switch (decision.step) {
      case PairStep::report:
        return give_all(std::move(decision.lines));
      case PairStep::enter:
        return enter(paths, {false, false}, {*read[0].status, *read[1].status}, false);
      case PairStep::compare_files:
        return files(paths, {false, false}, {*read[0].status, *read[1].status});
      case PairStep::compare_links:
        return give_all(compare_link_targets(paths));
    }
  }

  void files(const std::array<std::string, 2>& paths, std::array<bool, 2> absent,
             const std::array<EntryStatus, 2>& status) {
    TreeEvent event;
    event.kind = TreeEvent::Kind::files;
    event.paths = paths;
    event.absent = absent;
    event.statuses = status;
    give(std::move(event));
  }

  void files_unread(const std::array<std::string, 2>& paths) {
    TreeEvent event;
    event.kind = TreeEvent::Kind::files;
    event.paths = paths;
    event.statuses_known = false;
    give(std::move(event));
  }

  void only_in(const std::string& dir, const std::string& name) {
    line("Only in " + dir + ": " + name + "\n", exit_different);
  }

  void line(std::string text, int status) { give(line_event(std::move(text), status)); }

  void trouble(const std::string& path, const std::string& reason) {
    give(trouble_event(path, reason));
  }

  void give_all(std::vector<TreeEvent> events) {
    for (TreeEvent& event : events) give(std::move(event));
  }

  void give(TreeEvent event) {
    if (!stopped_) stopped_ = !sink_.take(std::move(event));
  }

  const TreeWalk& walk_;
  const TreeOptions& options_;
  TreeSink& sink_;
  bool stopped_ = false;  // the sink wants no more: the walk winds down
  // The directories being compared, from the roots down, on each side.
  std::array<std::vector<EntryStatus>, 2> ancestors_;
};

}  // namespace

bool name_before(const std::string& a, const std::string& b, bool fold_case) {
  if (fold_case) {
    if (const int order = compare_folded(a, b); order != 0) return order < 0;
  }
  return a < b;
}

void walk_trees(const TreeWalk& walk, const std::array<std::string, 2>& roots,
                std::array<bool, 2> absent, TreeSink& sink) {
  Walker(walk, sink).walk_roots(roots, absent);
}

}  // namespace ralu
