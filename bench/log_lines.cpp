// Writes log-like text lines to standard output, fast enough for files of
// gigabytes:
//
//   17:52:12.123456 host-17 web[4242]: request 1234567 served in 42 ms
//
// The time and the request number grow from line to line, so every line is
// unique; host, service, process and duration vary at random. The same
// arguments always give the same lines.
//
//   log_lines -n LINES [-c LINE]...   LINES lines
//   log_lines -b BYTES [-c LINE]...   whole lines up to BYTES bytes in all
//
// -c LINE (counted from 1) writes that line with "failed" for "served": a
// change of the same length, so a file with changed lines has the same size
// and line count as one without.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

// SplitMix64: small, fast and good enough for test data.
struct Random {
  std::uint64_t state = 0x6b65766f2d6c6f67;
  std::uint64_t next() {
    std::uint64_t z = state += 0x9e3779b97f4a7c15;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  std::uint64_t below(std::uint64_t bound) { return next() % bound; }
};

// Appends `value` in decimal, zero-padded to `width` digits.
void put_number(std::string& line, std::uint64_t value, int width = 1) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (int pad = count; pad < width; ++pad) line += '0';
  while (count > 0) line += digits[--count];
}

int usage() {
  std::fputs("usage: log_lines (-n LINES | -b BYTES) [-c LINE]...\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t max_lines = UINT64_MAX;
  std::uint64_t max_bytes = UINT64_MAX;
  std::vector<std::uint64_t> changed;
  // Options come in pairs: a flag, then its value.
  for (int arg = 1; arg < argc; arg += 2) {
    if (arg + 1 >= argc) return usage();
    const std::uint64_t value = std::strtoull(argv[arg + 1], nullptr, 10);
    if (std::strcmp(argv[arg], "-n") == 0) {
      max_lines = value;
    } else if (std::strcmp(argv[arg], "-b") == 0) {
      max_bytes = value;
    } else if (std::strcmp(argv[arg], "-c") == 0) {
      changed.push_back(value);
    } else {
      return usage();
    }
  }
  if (max_lines == UINT64_MAX && max_bytes == UINT64_MAX) return usage();
  std::sort(changed.begin(), changed.end());

  static const char* const services[] = {"api", "auth", "web", "db", "cache", "queue", "search"};
  constexpr std::uint64_t micros_a_day = 86'400'000'000;
  Random random;
  std::uint64_t micros = 0;
  std::uint64_t request = 1'000'000;
  std::uint64_t bytes = 0;
  std::size_t next_change = 0;
  std::string buffer;
  std::string line;
  constexpr std::size_t flush_at = std::size_t{1} << 20;
  buffer.reserve(flush_at + 256);

  for (std::uint64_t number = 1; number <= max_lines; ++number) {
    micros += 1 + random.below(20'000);
    request += 1 + random.below(3);
    const std::uint64_t time = micros % micros_a_day;
    line.clear();
    put_number(line, time / 3'600'000'000, 2);
    line += ':';
    put_number(line, time / 60'000'000 % 60, 2);
    line += ':';
    put_number(line, time / 1'000'000 % 60, 2);
    line += '.';
    put_number(line, time % 1'000'000, 6);
    line += " host-";
    put_number(line, random.below(64), 2);
    line += ' ';
    line += services[random.below(std::size(services))];
    line += '[';
    put_number(line, 1000 + random.below(30'000));
    line += "]: request ";
    put_number(line, request);
    while (next_change < changed.size() && changed[next_change] < number) ++next_change;
    const bool change = next_change < changed.size() && changed[next_change] == number;
    line += change ? " failed in " : " served in ";
    // Mostly short requests, a few slow ones.
    put_number(line, random.below(8) == 0 ? random.below(5000) : random.below(100));
    line += " ms\n";

    if (bytes + line.size() > max_bytes) break;
    bytes += line.size();
    buffer += line;
    if (buffer.size() >= flush_at) {
      if (std::fwrite(buffer.data(), 1, buffer.size(), stdout) != buffer.size()) {
        std::perror("log_lines");
        return 1;
      }
      buffer.clear();
    }
  }
  if (std::fwrite(buffer.data(), 1, buffer.size(), stdout) != buffer.size() ||
      std::fflush(stdout) != 0) {
    std::perror("log_lines");
    return 1;
  }
  return 0;
}
