#include "ralu/command/run.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ralu/command/help.h"
#include "ralu/command/options.h"
#include "ralu/command/plan.h"
#include "ralu/inputs/operands.h"
#include "ralu/pair/comparison.h"
#include "ralu/pair/pair_output.h"
#include "ralu/trees/tree_report.h"
#include "ralu/trouble.h"

namespace ralu {

namespace {

// The pairs to compare: the two names, or with --from-file or --to-file
// that file beside each name in turn. (The options were checked for one or
// the other, or two names, as they were read.)
std::vector<std::array<std::string, 2>> pairs_to_compare(const Options& options) {
  std::vector<std::array<std::string, 2>> pairs;
  if (options.from_file || options.to_file) {
    for (const std::string& name : options.names) {
      pairs.push_back(options.from_file ? std::array{*options.from_file, name}
                                        : std::array{name, *options.to_file});
    }
    return pairs;
  }
  pairs.push_back({options.names[0], options.names[1]});
  return pairs;
}

// What the tree walks of the run share.
struct TreeSetting {
  TreeWalk walk;
  std::string heading;
};

// Under the stat forms a file on one side only is listed as git lists it,
// as added or deleted whole, with -N or without.
TreeSetting tree_setting(const Options& options) {
  const bool new_file = options.new_file || options.stat_form != StatForm::none;
  return {{options.tree, new_file, options.report_identical, excluded_names(options.tree),
           options.labels},
          heading_of(options.switches)};
}

// Compares one pair of names: two directories as trees, else two files.
Outcome compare_names(const Options& options, const RunPlan& plan, const TreeSetting& trees,
                      const std::array<std::string, 2>& names) {
  const Operands operands = look_at_operands(names, !options.tree.no_dereference);
  if (const std::optional<std::array<bool, 2>> absent =
          directory_roots(operands, options.new_file, options.tree.unidirectional_new_file)) {
    return compare_trees(plan, trees.walk, trees.heading, names, *absent);
  }
  StandardPairOutput out(plan.tally.get());
  const Outcome outcome = compare_operands(plan, operands, out);
  out.finish();
  return outcome;
}

// The summary of the stat forms, then the patch when one follows, after a
// blank line as in git.
void write_stats(const RunPlan& plan) {
  StandardPairOutput out;
  // The bars are git's colours unless --palette gives others.
  const Palette* palette = nullptr;
  if (plan.colours) {
    palette = plan.colours->defaults() ? &git_stat_palette : plan.colours->palette_for(out);
  }
  const std::string table = format_stats(plan.stat_form, plan.tally->files(), plan.stat_limits,
                                         plan.stat_columns, palette);
  out.write(table);
  if (!table.empty() && !plan.tally->patch().empty()) out.write("\n");
  out.write(plan.tally->patch());
  out.finish();
}

}  // namespace

int run_command(std::span<const char* const> arguments) {
  platform::binary_standard_output();  // the report's lines keep their own ends
  // A mapped input that shrinks under ralu is trouble, as any other.
  platform::set_mapping_fault_status(exit_trouble);
  const ParsedCommandLine parsed = parse_command_line(arguments);
  if (!parsed.error.empty()) fail_usage(parsed.error);
  const Options& options = parsed.options;
  if (options.help || options.version) {
    if (options.help) print_help();
    if (options.version) print_version();
    flush_standard_output();
    return exit_same;
  }
  const std::vector<std::array<std::string, 2>> pairs = pairs_to_compare(options);
  const RunPlan plan = plan_run(options);
  const TreeSetting trees = tree_setting(options);

  int status = exit_same;
  for (const std::array<std::string, 2>& names : pairs) {
    const Outcome outcome = compare_names(options, plan, trees, names);
    status = std::max(status, outcome.status);
    if (outcome.ends_run) break;
  }
  if (plan.tally) write_stats(plan);
  flush_standard_output();
  return status;
}

}  // namespace ralu
