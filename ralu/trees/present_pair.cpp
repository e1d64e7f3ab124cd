#include "ralu/trees/present_pair.h"

#include <utility>

#include "ralu/pair/verdicts.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

using platform::EntryKind;
using platform::EntryStatus;

std::vector<TreeEvent> just(TreeEvent event) {
  std::vector<TreeEvent> events;
  events.push_back(std::move(event));
  return events;
}

PairDecision decided(PairStep step) { return {step, {}}; }

PairDecision reported(std::vector<TreeEvent> lines) { return {PairStep::report, std::move(lines)}; }

PairDecision decide_statuses(const std::array<std::string, 2>& paths, const EntryStatus& a,
                             const EntryStatus& b, const PairRules& rules) {
  const auto labelled = [&](std::size_t side) -> const std::string& {
    return shown_name(rules.labels, side, paths[side]);
  };
  if (a.kind == EntryKind::directory && b.kind == EntryKind::directory) {
    // One directory named twice holds nothing that could differ.
    if (a.same_file(b)) return reported({});
    if (rules.enter_directories) return decided(PairStep::enter);
    return reported(just(
        line_event("Common subdirectories: " + paths[0] + " and " + paths[1] + "\n", exit_same)));
  }
  if (a.same_file(b)) {
    if (!rules.report_identical) return reported({});
    return reported(
        just(line_event(verdict_line(Verdict::identical, labelled(0), labelled(1)), exit_same)));
  }
  if (a.kind == EntryKind::regular && b.kind == EntryKind::regular) {
    return decided(PairStep::compare_files);
  }
  if (a.kind == EntryKind::symbolic_link && b.kind == EntryKind::symbolic_link) {
    return decided(PairStep::compare_links);
  }
  return reported(
      just(line_event("File " + labelled(0) + " is a " + entry_kind_name(a) + " while file " +
                          labelled(1) + " is a " + entry_kind_name(b) + "\n",
                      exit_different)));
}

}  // namespace

StatusRead read_status(const std::string& path, bool follow_links) {
  StatusRead read;
  read.status = platform::entry_status(path.c_str(), follow_links, read.failure);
  return read;
}

PairDecision decide_present_pair(const std::array<std::string, 2>& paths,
                                 const std::array<StatusRead, 2>& read, const PairRules& rules) {
  // Each side that cannot be read is said, the first before the second.
  std::vector<TreeEvent> troubles;
  for (std::size_t k = 0; k < 2; ++k) {
    if (!read[k].status) troubles.push_back(trouble_event(paths[k], read[k].failure));
  }
  if (!troubles.empty()) return reported(std::move(troubles));
  return decide_statuses(paths, *read[0].status, *read[1].status, rules);
}

std::vector<TreeEvent> compare_link_targets(const std::array<std::string, 2>& paths) {
  std::array<std::optional<std::string>, 2> targets;
  for (std::size_t k = 0; k < 2; ++k) {
    std::string failure;
    targets[k] = platform::link_target(paths[k].c_str(), failure);
    if (!targets[k]) return just(trouble_event(paths[k], failure));
  }
  if (*targets[0] == *targets[1]) return {};
  return just(
      line_event("Symbolic links " + paths[0] + " and " + paths[1] + " differ\n", exit_different));
}

ListedFilesRead read_listed_files(const std::array<std::string, 2>& paths, const TreeWalk& walk) {
  const bool follow_links = !walk.options.no_dereference;
  const std::array<StatusRead, 2> read = {read_status(paths[0], follow_links),
                                          read_status(paths[1], follow_links)};
  // Two directories found now are only said to be common: the walk cannot
  // go back into them.
  PairDecision decision =
      decide_present_pair(paths, read, {walk.labels, walk.report_identical, false});
  ListedFilesRead found;
  switch (decision.step) {
    case PairStep::compare_files:
      found.files = {*read[0].status, *read[1].status};
      break;
    case PairStep::compare_links:
      found.instead = compare_link_targets(paths);
      break;
    case PairStep::report:
    case PairStep::enter:
      found.instead = std::move(decision.lines);
      break;
  }
  return found;
}

TreeEvent line_event(std::string text, int status) {
  TreeEvent event;
  event.text = std::move(text);
  event.status = status;
  return event;
}

TreeEvent trouble_event(const std::string& path, const std::string& reason) {
  TreeEvent event;
  event.kind = TreeEvent::Kind::trouble;
  event.text = trouble_line(path, reason);
  event.status = exit_trouble;
  return event;
}

}  // namespace ralu
