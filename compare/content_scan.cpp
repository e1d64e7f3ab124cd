// Comparing and scanning chunks. Under -t a text pair is read to its end and
// every byte of it is tested, so this loop sets kevo's speed there: where the
// processor has AVX2 it tests 64 bytes of each file a step, with a table
// lookup for the control bytes; elsewhere memcmp and a plain loop that the
// compiler turns into vector code do the same in two passes.
#include "compare/content_scan.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KEVO_HAVE_AVX2_PATH 1
#endif

namespace kevo {

namespace {

// Tests a slice at a time and leaves a slice only once it has been tested
// whole, so that the inner loop has no branch.
bool has_control_byte_portable(const unsigned char* bytes, std::size_t count) {
  constexpr std::size_t slice = 64;
  std::size_t at = 0;
  for (; at + slice <= count; at += slice) {
    unsigned char found = 0;
    for (std::size_t i = 0; i < slice; ++i) found |= is_control_byte(bytes[at + i]);
    if (found != 0) return true;
  }
  for (; at < count; ++at) {
    if (is_control_byte(bytes[at]) != 0) return true;
  }
  return false;
}

ChunkScan compare_and_scan_portable(const unsigned char* first, const unsigned char* second,
                                    std::size_t count) {
  return ChunkScan{std::memcmp(first, second, count) == 0, has_control_byte_portable(first, count)};
}

#ifdef KEVO_HAVE_AVX2_PATH

// A byte b is a control byte when low[b & 15] & high[b >> 4] is not 0. Bit 0
// stands for the high nibble 0 (bytes 0x00-0x0F, of which tab, line feed, form
// feed and carriage return are text), bit 1 for the high nibble 1 (0x10-0x1F,
// all control bytes); every other high nibble has no bit. The shuffle looks
// up each 128-bit lane on its own, so both lanes hold the table.
#define KEVO_LOW_TABLE 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2, 3, 2, 2, 3, 3
#define KEVO_HIGH_TABLE 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0

// Not 0 in the bytes that are control bytes. A byte from 0x80 up looks up 0 in
// the low table by itself (the shuffle's rule for a set top bit).
[[gnu::target("avx2")]] inline __m256i control_bytes(__m256i bytes, __m256i low_table,
                                                     __m256i high_table) {
  const __m256i high_nibbles =
      _mm256_and_si256(_mm256_srli_epi16(bytes, 4), _mm256_set1_epi8(0x0F));
  return _mm256_and_si256(_mm256_shuffle_epi8(low_table, bytes),
                          _mm256_shuffle_epi8(high_table, high_nibbles));
}

[[gnu::target("avx2")]] ChunkScan compare_and_scan_avx2(const unsigned char* first,
                                                        const unsigned char* second,
                                                        std::size_t count) {
  const __m256i low_table = _mm256_setr_epi8(KEVO_LOW_TABLE, KEVO_LOW_TABLE);
  const __m256i high_table = _mm256_setr_epi8(KEVO_HIGH_TABLE, KEVO_HIGH_TABLE);
  __m256i differences = _mm256_setzero_si256();
  __m256i controls = _mm256_setzero_si256();
  constexpr std::size_t step = 64;
  std::size_t at = 0;
  for (; at + step <= count; at += step) {
    const auto* a = reinterpret_cast<const __m256i*>(first + at);
    const auto* b = reinterpret_cast<const __m256i*>(second + at);
    const __m256i a0 = _mm256_loadu_si256(a);
    const __m256i a1 = _mm256_loadu_si256(a + 1);
    differences = _mm256_or_si256(differences,
                                  _mm256_or_si256(_mm256_xor_si256(a0, _mm256_loadu_si256(b)),
                                                  _mm256_xor_si256(a1, _mm256_loadu_si256(b + 1))));
    controls = _mm256_or_si256(controls, _mm256_or_si256(control_bytes(a0, low_table, high_table),
                                                         control_bytes(a1, low_table, high_table)));
  }
  ChunkScan scan{_mm256_testz_si256(differences, differences) != 0,
                 _mm256_testz_si256(controls, controls) == 0};
  const ChunkScan rest = compare_and_scan_portable(first + at, second + at, count - at);
  scan.equal = scan.equal && rest.equal;
  scan.first_control = scan.first_control || rest.first_control;
  return scan;
}

bool processor_has_avx2() {
  static const bool has = __builtin_cpu_supports("avx2") != 0;
  return has;
}

#endif

}  // namespace

ChunkScan compare_and_scan(const unsigned char* first, const unsigned char* second,
                           std::size_t count) {
#ifdef KEVO_HAVE_AVX2_PATH
  if (processor_has_avx2()) return compare_and_scan_avx2(first, second, count);
#endif
  return compare_and_scan_portable(first, second, count);
}

bool has_control_byte(const unsigned char* bytes, std::size_t count) {
  return compare_and_scan(bytes, bytes, count).first_control;
}

}  // namespace kevo
