#!/usr/bin/env bash
# ralu on huge inputs, beside `diff -u` and `kevo -t`, in one run on the same
# generated files, page cache warm but in the last case. For each tool it
# prints the median wall time, peak resident memory (VmHWM) and peak anonymous
# memory (RssAnon, what a program allocates rather than maps), sampled from
# /proc while it runs, and the ratios set against the goals for ralu.
#
#   spread      8,000,000 log lines (about 550 MB) against the same with lines
#               100, 3,000,000, 5,000,000 and 7,999,000 changed: ralu, diff -u
#   near-equal  2 GiB of log lines against the same with one line changed in
#               the middle: ralu, diff -u, and kevo -t with no ralu to find,
#               which reads both files to the end (the cost of kevo's own
#               comparison) and says only that ralu is not found
#   4 changes   the same 2 GiB against the same with four lines changed: line
#               100, the lines at a third and at half of the line count, and
#               the last but 1000: ralu -u, diff -u, and kevo -t as above
#   4 changes, 1 GiB memory
#               the same pair, each run in a memory cgroup of 1 GiB (a child
#               of the script's own, cgroup v1 or v2; needs root) with the
#               files' pages dropped from the page cache before it, as on a
#               machine with little memory: ralu -u, and cat of both files
#               (diff needs several times the memory); skipped, saying why,
#               where no such cgroup can be made
#
#   bench/ralu_huge_bench.sh [BUILD_DIR] [SCALE]
#
# BUILD_DIR defaults to build/release (configure and build it first; its
# bin/ralu is the ralu measured). SCALE (default 1) scales the line count of
# the first case and the size of the others: SCALE=0.05 tries the whole bench
# in a few seconds. RUNS (default 3) sets the runs of each tool, interleaved
# (ralu, diff, kevo, ralu, ...). Needs about 5.5 GB * SCALE in $TMPDIR; the
# memory limit of the last case is 1 GiB whatever the SCALE.
set -euo pipefail
# shellcheck source=bench/measures.sh
source "$(dirname "${BASH_SOURCE[0]}")/measures.sh"

build=${1:-build/release}
scale=${2:-1}
runs=${RUNS:-3}
bin=$(realpath "$build/bin")
ralu=$bin/ralu
kevo=$bin/kevo
peak_memory=$bin/peak_memory
log_lines=$bin/log_lines
drop_pages=$bin/drop_pages
for tool in "$ralu" "$kevo" "$peak_memory" "$log_lines" "$drop_pages"; do
  [[ -x $tool ]] || { echo "no $tool: build $build first" >&2; exit 2; }
done
if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
  echo "SCALE must be a number above 0, not '$scale'" >&2
  exit 2
fi
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a whole number above 0" >&2; exit 2; }

# Whole numbers from the scale: the lines of the first case, its changed
# lines, and the bytes of the others.
scaled() { awk -v n="$1" -v s="$scale" 'BEGIN { printf "%.0f", int(n * s) }'; }
spread_lines=$(scaled 8000000)
near_bytes=$(scaled $((2 * 1024 * 1024 * 1024)))
spread_changes=(100 "$(scaled 3000000)" "$(scaled 5000000)" $((spread_lines - 1000)))
if ((spread_lines < 2000)); then
  echo "SCALE $scale is too small: the first case needs 2,000 lines or more" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-huge-bench-XXXXXX")
# The memory cgroup of the last case, once it is made.
cgroup=''
cleanup() {
  [[ -z $cgroup ]] || remove_cgroup
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Lines of log_lines are 70 bytes at most on average; the reports are small.
# The 2 GiB pairs share their first file, and the second file of the last
# pair is made once the near-equal one is deleted, so the first two pairs
# are the most the disk holds at once.
need_kib=$(((2 * spread_lines * 70 + 2 * near_bytes) / 1024 + 256 * 1024))
free_kib=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if ((free_kib < need_kib)); then
  printf 'not enough disk space in %s: the files need about %d MiB, %d MiB are free\n' \
    "$(dirname "$work")" $((need_kib / 1024)) $((free_kib / 1024)) >&2
  printf 'set TMPDIR to a larger file system, or use a smaller SCALE\n' >&2
  exit 2
fi
available_kib=$(awk '/^MemAvailable:/ { print $2 }' /proc/meminfo)
if ((available_kib < need_kib)); then
  printf 'note: %d MiB of memory available for %d MiB of files: reading may hit the disk\n' \
    $((available_kib / 1024)) $((need_kib / 1024))
fi

echo "ralu: $ralu"
echo "scale $scale, $runs runs a tool (median), work folder $work"
start=$SECONDS
changes=()
for line in "${spread_changes[@]}"; do changes+=(-c "$line"); done
"$log_lines" -n "$spread_lines" >"$work/spread.old"
"$log_lines" -n "$spread_lines" "${changes[@]}" >"$work/spread.new"
"$log_lines" -b "$near_bytes" >"$work/huge.old"
huge_lines=$(wc -l <"$work/huge.old")
"$log_lines" -b "$near_bytes" -c $((huge_lines / 2)) >"$work/near.new"
echo "generated $(du -sm "$work" | cut -f1) MiB in $((SECONDS - start)) s"

# kevo alone in a folder, run with a PATH that leads nowhere: it finds no ralu.
mkdir "$work/kevo-alone" "$work/nowhere"
cp "$kevo" "$work/kevo-alone/kevo"
cd "$work"

# --- measuring ----------------------------------------------------------------

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
# "met" or "missed" for a value against an upper bound.

# Per tool of the case: its command and the samples of its runs.
declare -A command walls hwms anons statuses
tools=()

# A tool's command line run by peak_memory, its output into OUT (NAME.out by
# default) and its standard error into NAME.err.
sampled() {  # [-o OUT] name command...
  local out=''
  if [[ $1 == -o ]]; then
    out=$2
    shift 2
  fi
  local name=$1
  shift
  printf -v "command[$name]" '%q ' "$peak_memory" -o "${out:-$name.out}" -e "$name.err" "$@"
}

# kevo -t on two files, alone in its folder and with a PATH that leads
# nowhere: it finds no ralu.
sampled_kevo() {  # file1 file2
  sampled kevo "$work/kevo-alone/kevo" -t "$@"
  command[kevo]="PATH=$(printf '%q' "$work/nowhere") ${command[kevo]}"
}

# One run of a tool. A tool that was killed (by the kernel for memory, say)
# runs no more in the case: its samples so far stand.
run_once() {  # name
  local name=$1 line wall hwm anon status
  [[ ${statuses[$name]} == *signal=* ]] && return
  line=$(eval "${command[$name]}") || line="0 0 0 not-started"
  read -r wall hwm anon status <<<"$line"
  walls[$name]+=" $wall"
  hwms[$name]+=" $hwm"
  anons[$name]+=" $anon"
  statuses[$name]+=" $status"
}

# Runs the tools of a case interleaved. With the page cache warm, its files
# are read once first so that the cache holds them; cold, their pages are
# dropped from the cache before every run.
measure_case() {  # warm|cold files...
  local cache=$1
  shift
  [[ $cache == cold ]] || cat "$@" >/dev/null
  local r name
  for name in "${tools[@]}"; do
    walls[$name]='' hwms[$name]='' anons[$name]='' statuses[$name]=''
  done
  for ((r = 0; r < runs; r++)); do
    for name in "${tools[@]}"; do
      [[ $cache != cold ]] || "$drop_pages" "$@"
      run_once "$name"
    done
  done
}

# The statuses of a tool's runs, each once, with how many runs ended so.
status_summary() {  # name
  # shellcheck disable=SC2086  # the statuses are words
  printf '%s\n' ${statuses[$1]} | sort | uniq -c | awk '{ printf "%s%s x%d", (NR > 1 ? ", " : ""), $2, $1 }'
}

# The median of one measure of a tool: wall seconds, or a peak in KiB.
med() {  # array name
  local -n samples=$1
  # shellcheck disable=SC2086  # the samples are words
  median ${samples[$2]}
}

print_header() {
  printf '%-22s %-8s %9s %13s %13s   %s\n' case tool "wall s" "peak RSS MiB" "peak anon MiB" status
}

print_tool() {  # case-title name label
  printf '%-22s %-8s %9.3f %13s %13s   %s\n' "$1" "$3" "$(med walls "$2")" \
    "$(mib "$(med hwms "$2")")" "$(mib "$(med anons "$2")")" "$(status_summary "$2")"
}

# Whether every run of a tool ended with the given status.
all_ended() {  # name status
  # shellcheck disable=SC2086  # the statuses are words
  [[ $(printf '%s\n' ${statuses[$1]} | sort -u) == "$2" ]]
}

# Why a tool failed: the statuses of its runs and the start of its messages.
say_failed() {  # name
  echo "  $1 failed: $(status_summary "$1"); $(tr '\n' ' ' <"$1.err" | head -c 200)"
}

# Whether ralu's report is diff's, the times in the two header lines aside.
compare_reports() {
  local name
  for name in ralu diff; do
    if ! all_ended "$name" exit=1; then
      echo "  output: not compared: $name ended with $(status_summary "$name")"
      return
    fi
  done
  sed '1,2s/\t.*//' ralu.out >ralu.cmp
  sed '1,2s/\t.*//' diff.out >diff.cmp
  if cmp -s ralu.cmp diff.cmp; then
    echo "  output: identical to diff ($(wc -c <diff.out) bytes)"
  else
    echo "  output: MISMATCH: ralu wrote $(wc -c <ralu.out) bytes, diff $(wc -c <diff.out);" \
      "first difference: $(cmp ralu.cmp diff.cmp 2>&1 | head -n 1)"
  fi
}

# The summary of a case with kevo: ralu's wall time against kevo's reading
# of the same files and against diff's, ralu's anonymous memory, and
# whether its report is diff's.
against_kevo() {
  if ! grep -q 'ralu: not found' kevo.err; then
    echo "  kevo -t did not say that ralu is not found: $(tr '\n' ' ' <kevo.err | head -c 200)"
  fi
  if all_ended ralu exit=1; then
    local wall_ratio anon
    wall_ratio=$(ratio "$(med walls ralu)" "$(med walls kevo)")
    anon=$(mib "$(med anons ralu)")
    printf '  ralu/kevo wall %s (goal <= 1.5: %s)   ralu/diff wall %s   ralu peak anon %s MiB (goal <= 64: %s)\n' \
      "$wall_ratio" "$(goal "$wall_ratio" 1.5)" "$(ratio "$(med walls ralu)" "$(med walls diff)")" \
      "$anon" "$(goal "$anon" 64)"
  else
    say_failed ralu
  fi
  compare_reports
}

echo
print_header

# --- spread changes -----------------------------------------------------------

sampled ralu "$ralu" spread.old spread.new
sampled diff diff -u spread.old spread.new
tools=(ralu diff)
measure_case warm spread.old spread.new
print_tool "spread $spread_lines lines" ralu ralu
print_tool "4 lines changed" diff "diff -u"
if all_ended ralu exit=1; then
  wall_ratio=$(ratio "$(med walls ralu)" "$(med walls diff)")
  anon_ratio=$(ratio "$(med anons ralu)" "$(med hwms diff)")
  printf '  ralu/diff wall %s (goal <= 0.1: %s)   ralu anon / diff RSS %s (goal <= 0.4: %s)\n' \
    "$wall_ratio" "$(goal "$wall_ratio" 0.1)" "$anon_ratio" "$(goal "$anon_ratio" 0.4)"
else
  say_failed ralu
fi
compare_reports
rm -f spread.old spread.new

# --- near-equal pair ----------------------------------------------------------

sampled ralu "$ralu" huge.old near.new
sampled diff diff -u huge.old near.new
sampled_kevo huge.old near.new
tools=(ralu diff kevo)
measure_case warm huge.old near.new
print_tool "near-equal $(mib $((near_bytes / 1024))) MiB" ralu ralu
print_tool "1 line changed" diff "diff -u"
print_tool "" kevo "kevo -t"
against_kevo
rm -f near.new

# --- four lines changed in 2 GiB ----------------------------------------------

changes=()
for line in 100 $((huge_lines / 3)) $((huge_lines / 2)) $((huge_lines - 1000)); do
  changes+=(-c "$line")
done
"$log_lines" -b "$near_bytes" "${changes[@]}" >four.new
sampled ralu "$ralu" -u huge.old four.new
sampled diff diff -u huge.old four.new
sampled_kevo huge.old four.new
tools=(ralu diff kevo)
measure_case warm huge.old four.new
print_tool "4 changes $(mib $((near_bytes / 1024))) MiB" ralu "ralu -u"
print_tool "start, 1/3, 1/2, end" diff "diff -u"
print_tool "" kevo "kevo -t"
against_kevo

# --- four lines changed, 1 GiB of memory --------------------------------------

# Makes a memory cgroup of 1 GiB, swap included, for commands to run in as on
# a machine with little memory: a child of the script's own memory cgroup or,
# where that cannot be, of the hierarchy's root; under cgroup v1's memory
# controller, or under cgroup v2 where memory is enabled for children. Sets
# cgroup to its folder, or no_cgroup to why there is none.
no_cgroup=''
make_cgroup() {
  local bytes=$((1024 ** 3)) mount own limit swap swap_limit parents parent dir
  mount=$(awk '$3 == "cgroup" && $4 ~ /(^|,)memory(,|$)/ { print $2; exit }' /proc/self/mounts)
  if [[ -n $mount ]]; then
    own=$(awk -F: '$2 ~ /(^|,)memory(,|$)/ { print $3; exit }' /proc/self/cgroup)
    # v1 limits memory and swap together.
    limit=memory.limit_in_bytes swap=memory.memsw.limit_in_bytes swap_limit=$bytes
  else
    mount=$(awk '$3 == "cgroup2" { print $2; exit }' /proc/self/mounts)
    if [[ -z $mount ]]; then
      no_cgroup='no cgroup file system is mounted'
      return 1
    fi
    own=$(awk -F: '$1 == 0 { print $3; exit }' /proc/self/cgroup)
    limit=memory.max swap=memory.swap.max swap_limit=0
  fi
  parents=("$mount${own%/}")
  [[ ${own%/} == '' ]] || parents+=("$mount")
  for parent in "${parents[@]}"; do
    dir=$parent/ralu-huge-bench-$$
    mkdir "$dir" 2>/dev/null || continue
    cgroup=$dir
    # A cgroup that takes the limit and a process is fit for use.
    # shellcheck disable=SC2016  # $$ is the inner shell's
    if [[ -e $dir/$limit ]] && { echo "$bytes" >"$dir/$limit"; } 2>/dev/null &&
      sh -c 'echo $$ >"$0"' "$dir/cgroup.procs" 2>/dev/null; then
      if [[ -e $dir/$swap ]]; then { echo "$swap_limit" >"$dir/$swap"; } 2>/dev/null || true; fi
      return 0
    fi
    remove_cgroup
  done
  no_cgroup="no memory cgroup with a limit can be made under ${parents[*]}"
  return 1
}

# Removes the cgroup, ending first what still runs in it: only the commands
# of this script run there.
remove_cgroup() {
  local tries pid
  for ((tries = 0; tries < 50; tries++)); do
    if rmdir "$cgroup" 2>/dev/null; then
      cgroup=''
      return 0
    fi
    while read -r pid; do
      kill -KILL "$pid" 2>/dev/null || true
    done < <(cat "$cgroup/cgroup.procs" 2>/dev/null || true)
    sleep 0.1
  done
  echo "cannot remove the cgroup $cgroup" >&2
}

title="4 changes, 1 GiB mem"
if make_cgroup; then
  # The start of a command line that runs the rest in the cgroup: the shell
  # moves itself in, then becomes the command.
  # shellcheck disable=SC2016  # $$ and $@ are the inner shell's
  in_cgroup=(sh -c 'echo $$ >"$0" && exec "$@"' "$cgroup/cgroup.procs")
  sampled ralu "${in_cgroup[@]}" "$ralu" -u huge.old four.new
  sampled -o /dev/null cat "${in_cgroup[@]}" cat huge.old four.new
  tools=(ralu cat)
  measure_case cold huge.old four.new
  print_tool "$title" ralu "ralu -u"
  print_tool "page cache cold" cat cat
  if ! all_ended ralu exit=1; then
    say_failed ralu
  elif ! all_ended cat exit=0; then
    say_failed cat
  else
    wall_ratio=$(ratio "$(med walls ralu)" "$(med walls cat)")
    printf '  ralu/cat wall %s (goal <= 1.5: %s)\n' "$wall_ratio" "$(goal "$wall_ratio" 1.5)"
  fi
  # diff.out is still diff's report on this pair, from the case before.
  compare_reports
else
  echo "$title: skipped: $no_cgroup"
fi
