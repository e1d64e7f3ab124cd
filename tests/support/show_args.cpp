// A stand-in program for the launch and hand-off tests: writes how many
// arguments it received, then each one in brackets on a line of its own, so
// that blanks, quotes and double-byte characters all show. It exits with
// status 0, as a ralu that found two files equal does.
#include <cstdio>

int main(int argc, char** argv) {
  std::printf("argc=%d\n", argc - 1);
  for (int i = 1; i < argc; ++i) std::printf("[%s]\n", argv[i]);
  return 0;
}
