#!/usr/bin/env bash
# How many times ralu reads the middle of a huge pair: 2 GiB of log lines
# against the same with line 100 and the last but 100 changed, compared with
# --minimal, which compares the whole middle at once (not a region at a
# time), so that it is read as often as the comparison's steps read it.
#
# For each ralu measured it prints the median wall time of RUNS runs with
# the page cache warm; its peak anonymous memory; and the bytes it read from
# the disk in one run in a memory cgroup (cgroup v1 or v2; needs root) that
# holds its own peak anonymous memory and nine tenths of one file, the
# files' pages dropped first. A pass over a file then finds none of it left
# in the page cache, so those bytes over the pair's size tell about how many
# times the run read the pair: about, as pages read ahead may be dropped
# before their turn (more so as ralu's own memory grows) and read again. That part is skipped, saying why, where no such
# cgroup can be made or GNU time (which reports the blocks read) is missing.
#
#   bench/ralu_passes_bench.sh [BUILD_DIR] [SCALE] [RALU]...
#
# BUILD_DIR defaults to build/release (configure and build it first): its
# bin/ralu is measured, then each RALU given (a build of another branch, to
# set beside it). SCALE (default 1) scales the size of the files; RUNS
# (default 3) sets the warm runs. Needs about 4.3 GB * SCALE in $TMPDIR.
set -euo pipefail

build=${1:-build/release}
scale=${2:-1}
shift $(($# < 2 ? $# : 2))
runs=${RUNS:-3}
bin=$(realpath "$build/bin")
ralus=("$bin/ralu")
for other in "$@"; do ralus+=("$(realpath "$other")"); done
for tool in "${ralus[@]}" "$bin/log_lines" "$bin/peak_memory" "$bin/drop_pages"; do
  [[ -x $tool ]] || { echo "no $tool: build $build first" >&2; exit 2; }
done
if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
  echo "SCALE must be a number above 0, not '$scale'" >&2
  exit 2
fi
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a whole number above 0" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-passes.XXXXXX")
cgroup=''
cleanup() {
  [[ -z $cgroup ]] || rmdir "$cgroup" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

bytes=$(awk -v s="$scale" 'BEGIN { printf "%.0f", int(2 * 1024 * 1024 * 1024 * s) }')
"$bin/log_lines" -b "$bytes" >"$work/old"
lines=$(wc -l <"$work/old")
((lines > 200)) || { echo "SCALE $scale is too small: the pair needs 200 lines" >&2; exit 2; }
"$bin/log_lines" -b "$bytes" -c 100 -c $((lines - 100)) >"$work/new"
pair_bytes=$(($(stat -c %s "$work/old") + $(stat -c %s "$work/new")))
echo "pair: 2 x $(stat -c %s "$work/old") bytes, $lines lines each, lines 100 and $((lines - 100)) changed"

# Makes an empty memory cgroup, a child of this script's own where it can
# be; sets cgroup and limit_file, or says why there is none.
no_cgroup=''
make_cgroup() {
  local mount own parent
  mount=$(awk '$3 == "cgroup" && $4 ~ /(^|,)memory(,|$)/ { print $2; exit }' /proc/self/mounts)
  if [[ -n $mount ]]; then
    own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ { print $3; exit }' /proc/self/cgroup)
    limit_file=memory.limit_in_bytes swap_file=memory.memsw.limit_in_bytes
  else
    mount=$(awk '$3 == "cgroup2" { print $2; exit }' /proc/self/mounts)
    [[ -n $mount ]] || { no_cgroup='no cgroup file system is mounted'; return 1; }
    own=$(awk -F: '$1 == 0 { print $3; exit }' /proc/self/cgroup)
    limit_file=memory.max swap_file=memory.swap.max
  fi
  for parent in "$mount${own%/}" "$mount"; do
    if mkdir "$parent/ralu-passes-$$" 2>/dev/null; then
      cgroup=$parent/ralu-passes-$$
      [[ -e $cgroup/$limit_file ]] && return 0
      rmdir "$cgroup"
      cgroup=''
    fi
  done
  no_cgroup="no memory cgroup can be made under $mount${own%/}"
  return 1
}

# Sets the cgroup's limit, swap included where the system counts it.
limit_cgroup() {
  if [[ $swap_file == memory.memsw.limit_in_bytes ]]; then
    # v1 wants memory and swap together no lower than memory alone.
    echo -1 >"$cgroup/$swap_file" 2>/dev/null || true
    echo "$1" >"$cgroup/$limit_file"
    echo "$1" >"$cgroup/$swap_file" 2>/dev/null || true
  else
    echo "$1" >"$cgroup/$limit_file"
    echo 0 >"$cgroup/$swap_file" 2>/dev/null || true
  fi
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

can_count_reads=''
if ! [[ -x /usr/bin/time ]]; then
  no_cgroup='no GNU time at /usr/bin/time to report the blocks read'
elif make_cgroup; then
  can_count_reads=yes
fi

for ralu in "${ralus[@]}"; do
  cat "$work/old" "$work/new" >/dev/null
  walls=() anon=0
  for ((run = 0; run < runs; run++)); do
    read -r wall _ anon_kib _ < <("$bin/peak_memory" "$ralu" --minimal "$work/old" "$work/new")
    walls+=("$wall")
    ((anon_kib > anon)) && anon=$anon_kib
  done
  echo "$ralu"
  printf '  warm: %s s median of %s runs (%s), peak anonymous memory %d MiB\n' \
    "$(printf '%s\n' "${walls[@]}" | median)" "$runs" "${walls[*]}" $((anon / 1024))
  if [[ -z $can_count_reads ]]; then
    echo "  from disk: skipped: $no_cgroup"
    continue
  fi
  limit_cgroup $((anon * 1024 + pair_bytes * 9 / 20))
  "$bin/drop_pages" "$work/old" "$work/new"
  # The pair differs, so ralu (and time after it) exits with 1.
  # shellcheck disable=SC2016  # $$ is the inner shell's
  blocks=$({ sh -c 'echo $$ >"$0" && exec /usr/bin/time -f %I "$@" 2>&1 >/dev/null' \
    "$cgroup/cgroup.procs" "$ralu" --minimal "$work/old" "$work/new" || true; } | tail -n 1)
  awk -v b="$blocks" -v p="$pair_bytes" \
    'BEGIN { printf "  from disk: %.2f GiB read, %.2f times the pair\n", b * 512 / 2^30, b * 512 / p }'
done
