// ralu: compares two text files line by line and writes their differences to
// standard output as a unified diff, the form `patch` reads. Its options and
// conventions are GNU diff's, for two files and for two directory trees.
//
// Exit status: 0 when the files are equal (nothing is written), 1 when they
// differ, 2 on trouble, with a one-line message on standard error.
#include <cstddef>
#include <cstdio>
#include <span>

#include "platform/platform.h"
#include "ralu/command/run.h"
#include "ralu/trouble.h"

int main(int argc, char** argv) {
  ralu::end_quietly_when_memory_runs_out();
  platform::interrupts_end_as_interrupted();
  const std::span<const char* const> arguments(argv + 1,
                                               static_cast<std::size_t>(argc > 0 ? argc - 1 : 0));
  return ralu::memory_exhaustion_ends_process([&] {
    try {
      return ralu::run_command(arguments);
    } catch (const ralu::Trouble& trouble) {
      // Written whole: a path may be longer than any fixed buffer.
      std::fflush(stdout);
      std::fwrite(trouble.message.data(), 1, trouble.message.size(), stderr);
      return ralu::exit_trouble;
    }
  });
}
