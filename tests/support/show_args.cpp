// A stand-in program for the launch tests: writes each of its arguments on a
// line of its own, as two hex digits a byte, so that blanks, quotes, line ends
// and double-byte characters all show plainly. Its exit status is the number
// of arguments.
#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* byte = argv[i]; *byte != '\0'; ++byte) {
      std::printf("%02x", static_cast<unsigned char>(*byte));
    }
    std::printf("\n");
  }
  return argc - 1;
}
