// ralu's run: the command line read, then each pair of names compared, as
// two files or as two trees.
#pragma once

#include <span>

namespace ralu {

// Runs the command on the arguments that follow the program's name and
// gives the exit status; trouble that ends the run is thrown.
int run_command(std::span<const char* const> arguments);

}  // namespace ralu
