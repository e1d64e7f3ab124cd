// Writes distinct 16-byte lines that all had one hash under the unkeyed line
// hash ralu once used, for the benchmark's hostile case: with that hash,
// classing them took time quadratic in their number.
//
//   colliding_lines COUNT > lines.txt
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

constexpr std::uint64_t mix_multiplier = 0x9E3779B97F4A7C15ULL;

// The inverse of an odd number modulo 2^64, by Newton's iteration.
std::uint64_t inverse(std::uint64_t odd) {
  std::uint64_t x = odd;
  for (int i = 0; i < 6; ++i) x *= 2 - odd * x;
  return x;
}

bool clean(const unsigned char* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] == '\n' || bytes[i] == '\0') return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 100000;
  // The old hash of a 16-byte line mixed its two words into a state that its
  // last steps only scrambled; every line reaching this state collided.
  constexpr std::uint64_t target = 0x0123456789ABCDEFULL;
  const std::uint64_t unmix = inverse(mix_multiplier);
  std::mt19937_64 rng(16);
  for (long written = 0; written < count;) {
    std::uint64_t first = 0;
    unsigned char line[16];
    for (int i = 0; i < 8; ++i) line[i] = static_cast<unsigned char>('a' + rng() % 26);
    std::memcpy(&first, line, 8);
    const std::uint64_t state = std::rotl((16 * mix_multiplier ^ first) * mix_multiplier, 29);
    const std::uint64_t second = (std::rotr(target, 29) * unmix) ^ state;
    std::memcpy(line + 8, &second, 8);
    if (line[15] != '\n' || !clean(line + 8, 7)) continue;
    std::fwrite(line, 1, 16, stdout);
    ++written;
  }
  return 0;
}
