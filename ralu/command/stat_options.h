// git's stat forms on ralu's command line: --stat[=WIDTH[,NAME-WIDTH[,COUNT]]],
// --numstat and --shortstat, and which other options may go with them.
#pragma once

#include <string>

#include "ralu/command/argument_reader.h"
#include "ralu/command/options.h"

namespace ralu {

// Sets the form (and for --stat the limits its value gives); the mistake,
// or empty. One stat form a run; given again, the last value counts.
std::string read_stat_option(StatForm form, const GivenOption& given, Options& options);

// What is wrong with the stat form among the other options read, or empty:
// only a unified patch may follow the summary, and the options that leave
// the report out or say more of equal files make no sense with it.
std::string stat_mistake(const Options& options);

// Whether a patch follows the summary: where an option asks for the unified
// form or for its function lines (-p, which is git's option for a patch).
bool patch_follows_stat(const Options& options);

}  // namespace ralu
