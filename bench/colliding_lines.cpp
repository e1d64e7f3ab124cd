// Writes 16-byte lines (the line feed included) that all have one hash under
// a plain unkeyed multiply-rotate hash of 8-byte words, started from the
// length,
//
//   h = 16 * K;  for each word w: h = rotl((h ^ w) * K, 29);  K = 0x9E3779B97F4A7C15
//
// and so under any finish that depends on h alone: the hostile input that can
// be built for any unkeyed line hash, here for this one, under which a table
// of line classes has every line probe past all the lines before it. ralu's
// own line hash is keyed with a seed (engine/classes.cpp), so inputs cannot be
// built ahead of time to collide under it; to it these are ordinary lines.
// Their first halves are random letters, so a few lines repeat: 4 of 100,000.
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
  // The second word is chosen so that the two steps end in this state, which
  // a finish of the hash only scrambles: every line collides.
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
