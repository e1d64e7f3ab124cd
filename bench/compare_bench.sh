#!/usr/bin/env bash
# kevo against cmp and a read+memcmp baseline, side by side in one run on the
# same generated files, page cache warm. Prints the median wall time and peak
# memory of each tool and the ratios kevo/cmp and kevo/baseline.
#
#   bench/compare_bench.sh [BUILD_DIR] [SIZE_MIB] [RUNS]
#
# BUILD_DIR defaults to build/release (configure and build it first), SIZE_MIB
# to 1024 and RUNS to 5. Needs about 4 * SIZE_MIB of free space in $TMPDIR.
set -euo pipefail

build=${1:-build/release}
size_mib=${2:-1024}
runs=${3:-5}
kevo=$(realpath "$build/bin/kevo")
baseline=$(realpath "$build/bin/compare_baseline")
[[ -x $kevo && -x $baseline ]] || { echo "build $build first" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kevo-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# One MiB of random bytes, or of text lines, repeated to the size asked.
make_file() {  # kind output
  local unit="$work/unit-$1"
  if [[ ! -f $unit ]]; then
    if [[ $1 == binary ]]; then
      head -c 1048576 /dev/urandom >"$unit"
    else
      head -c 800000 /dev/urandom | base64 -w 75 >"$unit.long"
      head -c 1048576 "$unit.long" >"$unit"
    fi
  fi
  for ((i = 0; i < size_mib; i++)); do cat "$unit"; done >"$2"
}

echo "generating ${size_mib} MiB files in $work"
make_file binary "$work/bin1"
cp "$work/bin1" "$work/bin2"
make_file text "$work/text1"
cp "$work/text1" "$work/text2"
cp "$work/bin1" "$work/last1"
cp "$work/bin1" "$work/last2"
printf '\x00' | dd of="$work/last2" bs=1 seek=$((size_mib * 1048576 - 1)) conv=notrunc status=none
cmp -s "$work/last1" "$work/last2" && { printf '\x01' | dd of="$work/last2" bs=1 \
  seek=$((size_mib * 1048576 - 1)) conv=notrunc status=none; }

# Median wall seconds and median peak KiB of a command over $runs runs.
measure() {
  local walls=() rss=()
  "$@" >/dev/null 2>&1 || true  # warm the cache
  for ((r = 0; r < runs; r++)); do
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    walls+=("$(echo "$end - $start" | bc -l)")
    rss+=("$(tail -n 1 "$work/rss")")
  done
  local wall mem
  wall=$(printf '%s\n' "${walls[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  mem=$(printf '%s\n' "${rss[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
  echo "$wall $mem"
}

ratio() { echo "scale=2; $1 / $2" | bc -l; }

report() {  # title kevo-args... -- file1 file2
  local title=$1 flags=$2 a=$3 b=$4
  read -r kw km < <(measure "$kevo" $flags "$a" "$b")
  read -r cw cm < <(measure cmp "$a" "$b")
  read -r bw bm < <(measure "$baseline" "$a" "$b")
  printf '%-34s kevo %6.3fs %6d KiB | cmp %6.3fs %6d KiB | baseline %6.3fs %6d KiB\n' \
    "$title" "$kw" "$km" "$cw" "$cm" "$bw" "$bm"
  printf '%-34s time kevo/cmp %s  kevo/baseline %s | memory kevo/cmp %s  kevo/baseline %s\n' \
    "" "$(ratio "$kw" "$cw")" "$(ratio "$kw" "$bw")" "$(ratio "$km" "$cm")" "$(ratio "$km" "$bm")"
}

report "equal ${size_mib} MiB" "" "$work/bin1" "$work/bin2"
report "equal ${size_mib} MiB text, -t" "-t" "$work/text1" "$work/text2"
report "last byte differs, ${size_mib} MiB" "" "$work/last1" "$work/last2"
