#include "ralu/trees/tree_walk.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "platform/directory.h"
#include "platform/operands.h"
#include "ralu/pair/verdicts.h"
#include "ralu/trees/name_pattern.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

using platform::EntryKind;
using platform::EntryStatus;

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
    std::array<std::vector<std::string>, 2> names;
    bool listed = true;
    for (std::size_t k = 0; k < 2; ++k) {
      if (absent[k]) continue;
      std::string failure;
      std::optional<std::vector<std::string>> found =
          platform::directory_names(dirs[k].c_str(), failure);
      if (found) {
        names[k] = std::move(*found);
      } else {
        trouble(dirs[k], failure);
        listed = false;
      }
    }
    if (!listed) return;
    for (std::vector<std::string>& side : names) keep_wanted(side, top);
    merge(dirs, names);
  }

  // Leaves out the names excluded, and at the top those before -S's name;
  // puts the rest in order.
  void keep_wanted(std::vector<std::string>& names, bool top) const {
    const bool fold = options_.ignore_file_name_case;
    std::erase_if(names, [&](const std::string& name) {
      if (top && options_.starting_file && compare_names(name, *options_.starting_file) < 0) {
        return true;
      }
      return std::any_of(walk_.excluded.begin(), walk_.excluded.end(),
                         [&](const ExcludeOption& pattern) {
                           return name_matches(pattern.text, name, pattern.fold_case);
                         });
    });
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return name_before(a, b, fold); });
  }

  int compare_names(const std::string& a, const std::string& b) const {
    if (options_.ignore_file_name_case) return compare_folded(a, b);
    return a.compare(b);
  }

  // Walks both lists of names in order: a name on both sides is a pair, a
  // name on one side alone stands by itself.
  void merge(const std::array<std::string, 2>& dirs,
             const std::array<std::vector<std::string>, 2>& names) {
    const std::vector<std::string>& a = names[0];
    const std::vector<std::string>& b = names[1];
    std::size_t i = 0;
    std::size_t j = 0;
    while (!stopped_ && (i < a.size() || j < b.size())) {
      const int order = i == a.size() ? 1 : j == b.size() ? -1 : compare_names(a[i], b[j]);
      if (order < 0) {
        compare_pair(dirs, {&a[i++], nullptr});
      } else if (order > 0) {
        compare_pair(dirs, {nullptr, &b[j++]});
      } else {
        std::size_t i_end = i + 1;
        std::size_t j_end = j + 1;
        while (i_end < a.size() && compare_names(a[i_end], a[i]) == 0) ++i_end;
        while (j_end < b.size() && compare_names(b[j_end], a[i]) == 0) ++j_end;
        pair_alike(dirs, {a.data() + i, i_end - i}, {b.data() + j, j_end - j});
        i = i_end;
        j = j_end;
      }
    }
  }

  // Names alike but for case (or the one name, when case counts): a name
  // spelled the same on both sides pairs first, the others in order.
  void pair_alike(const std::array<std::string, 2>& dirs, std::span<const std::string> a,
                  std::span<const std::string> b) {
    std::vector<bool> a_used(a.size());
    std::vector<bool> b_used(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      for (std::size_t j = 0; j < b.size(); ++j) {
        if (b_used[j] || a[i] != b[j]) continue;
        compare_pair(dirs, {&a[i], &b[j]});
        a_used[i] = b_used[j] = true;
        break;
      }
    }
    std::vector<const std::string*> a_left;
    std::vector<const std::string*> b_left;
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
                    const std::array<const std::string*, 2>& names) {
    if (stopped_) return;
    std::array<std::string, 2> paths;
    for (std::size_t k = 0; k < 2; ++k) {
      paths[k] = platform::path_within(dirs[k], names[k] != nullptr ? *names[k] : *names[1 - k]);
    }
    for (std::size_t k = 0; k < 2; ++k) {
      if (names[k] != nullptr) continue;
      const std::size_t present = 1 - k;
      if (!reads_absent_as_empty(k)) return only_in(dirs[present], *names[present]);
      return compare_with_absent(dirs, paths, present, *names[present]);
    }
    compare_present(paths);
  }

  std::optional<EntryStatus> status_of(const std::string& path) {
    std::string failure;
    std::optional<EntryStatus> status =
        platform::entry_status(path.c_str(), !options_.no_dereference, failure);
    if (!status) trouble(path, failure);
    return status;
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
    const std::optional<EntryStatus> a = status_of(paths[0]);
    const std::optional<EntryStatus> b = status_of(paths[1]);
    if (!a || !b) return;
    if (a->kind == EntryKind::directory && b->kind == EntryKind::directory) {
      // One directory named twice holds nothing that could differ.
      if (a->same_file(*b)) return;
      if (options_.recursive) return enter(paths, {false, false}, {*a, *b}, false);
      return line("Common subdirectories: " + paths[0] + " and " + paths[1] + "\n", exit_same);
    }
    if (a->same_file(*b)) {
      if (walk_.report_identical) {
        line(verdict_line(Verdict::identical, labelled(0, paths[0]), labelled(1, paths[1])),
             exit_same);
      }
      return;
    }
    if (a->kind == EntryKind::regular && b->kind == EntryKind::regular) {
      return files(paths, {false, false}, {*a, *b});
    }
    if (a->kind == EntryKind::symbolic_link && b->kind == EntryKind::symbolic_link) {
      return compare_links(paths);
    }
    line("File " + labelled(0, paths[0]) + " is a " + entry_kind_name(*a) + " while file " +
             labelled(1, paths[1]) + " is a " + entry_kind_name(*b) + "\n",
         exit_different);
  }

  const std::string& labelled(std::size_t side, const std::string& path) const {
    return shown_name(walk_.labels, side, path);
  }

  void compare_links(const std::array<std::string, 2>& paths) {
    std::array<std::optional<std::string>, 2> targets;
    for (std::size_t k = 0; k < 2; ++k) {
      std::string failure;
      targets[k] = platform::link_target(paths[k].c_str(), failure);
      if (!targets[k]) return trouble(paths[k], failure);
    }
    if (*targets[0] != *targets[1]) {
      line("Symbolic links " + paths[0] + " and " + paths[1] + " differ\n", exit_different);
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

  void only_in(const std::string& dir, const std::string& name) {
    line("Only in " + dir + ": " + name + "\n", exit_different);
  }

  void line(std::string text, int status) {
    TreeEvent event;
    event.text = std::move(text);
    event.status = status;
    give(std::move(event));
  }

  void trouble(const std::string& path, const std::string& reason) {
    TreeEvent event;
    event.kind = TreeEvent::Kind::trouble;
    event.text = trouble_line(path, reason);
    event.status = exit_trouble;
    give(std::move(event));
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
