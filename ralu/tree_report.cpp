#include "ralu/tree_report.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <utility>

#include "common/common.h"
#include "platform/large_memory.h"
#include "platform/operands.h"
#include "platform/platform.h"
#include "ralu/inputs.h"
#include "ralu/trees/pair_screen.h"
#include "ralu/trees/shell_words.h"
#include "ralu/trees/tree_walk.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// Events are screened and reported this many at a time, which bounds what a
// huge tree holds in memory.
constexpr std::size_t batch_events = 4096;

// What heads each report: the command with the options as given.
std::string heading_of(const Options& options) {
  std::string heading = common::cmd_name;
  for (const std::string& word : options.switches) heading += " " + shell_quoted(word);
  return heading;
}

// The patterns of -x, then the lines of each -X file.
std::vector<std::string> excluded_names(const TreeOptions& tree) {
  std::vector<std::string> patterns = tree.excludes;
  for (const std::string& file : tree.exclude_files) {
    std::FILE* const stream = platform::open_for_reading(file.c_str());
    if (stream == nullptr) fail(file.c_str(), std::strerror(errno));
    std::string text;
    char block[4096];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, stream)) > 0) text.append(block, count);
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed) fail(file.c_str(), "read error");
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      if (end > start) patterns.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  return patterns;
}

void write_line(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Reports what the walk finds, in its order, a batch at a time.
class TreeReport : public TreeSink {
 public:
  TreeReport(const Options& options, const Patterns& patterns)
      : options_(options), patterns_(patterns), heading_(heading_of(options)) {}

  void take(TreeEvent event) override {
    batch_.push_back(std::move(event));
    if (batch_.size() == batch_events) report_batch();
  }

  int finish() {
    report_batch();
    return status_;
  }

 private:
  void report_batch() {
    PairScreen screen(batch_);
    for (std::size_t i = 0; i < batch_.size(); ++i) {
      const TreeEvent& event = batch_[i];
      switch (event.kind) {
        case TreeEvent::Kind::line:
          write_line(event.text);
          break;
        case TreeEvent::Kind::trouble:
          // Said where it falls among the lines written before it.
          common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
          common::errmsg("%s: %s\n", common::cmd_name, event.text.c_str());
          break;
        case TreeEvent::Kind::files:
          status_ = std::max(status_, compare_files(event, screen.verdict(i)));
          continue;
      }
      status_ = std::max(status_, event.status);
    }
    batch_.clear();
  }

  int compare_files(const TreeEvent& event, Sameness sameness) {
    const std::string& a = shown_name(options_, 0, event.paths[0]);
    const std::string& b = shown_name(options_, 1, event.paths[1]);
    if (sameness == Sameness::same && !writes_equal_inputs(options_)) {
      if (options_.report_identical) {
        write_line("Files " + a + " and " + b + " are identical\n");
      }
      return exit_same;
    }
    if (sameness == Sameness::different && options_.brief && !ignores_some_changes(options_)) {
      write_line("Files " + a + " and " + b + " differ\n");
      return exit_different;
    }
    InputRequest request = input_request(options_);
    request.names_are_files = true;
    request.absent = event.absent;
    try {
      const std::vector<std::string> names{event.paths[0], event.paths[1]};
      return compare_inputs(options_, read_inputs(names, request), patterns_, &heading_);
    } catch (const PairTrouble&) {
      return exit_trouble;
    }
  }

  const Options& options_;
  const Patterns& patterns_;
  const std::string heading_;
  std::vector<TreeEvent> batch_;
  int status_ = exit_same;
};

}  // namespace

std::optional<std::array<bool, 2>> directory_roots(const std::vector<std::string>& names,
                                                   const Options& options) {
  std::array<platform::PathKind, 2> kinds{};
  for (std::size_t i = 0; i < 2; ++i) {
    if (names[i] == "-") return std::nullopt;
    kinds[i] = platform::path_kind(names[i].c_str());
  }
  using platform::PathKind;
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::directory) {
    return std::array<bool, 2>{false, false};
  }
  const bool first_may_be_absent = options.new_file || options.tree.unidirectional_new_file;
  if (kinds[0] == PathKind::absent && kinds[1] == PathKind::directory && first_may_be_absent) {
    return std::array<bool, 2>{true, false};
  }
  if (kinds[0] == PathKind::directory && kinds[1] == PathKind::absent && options.new_file) {
    return std::array<bool, 2>{false, true};
  }
  return std::nullopt;
}

int compare_trees(const Options& options, const Patterns& patterns,
                  const std::vector<std::string>& roots, std::array<bool, 2> absent) {
  if (options.form == OutputForm::formatted) {
    common::errmsg("%s: -D option not supported with directories\n", common::cmd_name);
    std::exit(exit_trouble);
  }
  platform::keep_freed_memory();
  const TreeWalk walk{options.tree, options.new_file, options.report_identical,
                      excluded_names(options.tree), options.labels};
  TreeReport report(options, patterns);
  walk_trees(walk, {roots[0], roots[1]}, absent, report);
  const int status = report.finish();
  common::flush_standard_output_or_exit(common::cmd_name, exit_trouble);
  return status;
}

}  // namespace ralu
