#!/usr/bin/env bash
# ralu's word reports beside git's, in one run on the same generated files,
# page cache warm, output to /dev/null. For each mode it prints the median
# wall time of `ralu MODE` and of `git diff --no-index MODE`, and ralu's time
# against git's (the goal is 0.5 or less).
#
#   sparse  2,000,000 log lines (about 140 MB) against the same with 200
#           lines changed (as bench/ralu_forms_bench.sh makes them)
#   dense   the same lines with one line in 20 changed
#
#   bench/ralu_word_bench.sh [BUILD_DIR] [SCALE]
#
# BUILD_DIR defaults to build/release (configure and build it first). SCALE
# (default 1) scales the line count: SCALE=0.05 tries the bench in seconds.
# RUNS (default 3) sets the runs of each command, interleaved.
set -euo pipefail
# shellcheck source=bench/measures.sh
source "$(dirname "${BASH_SOURCE[0]}")/measures.sh"

build=${1:-build/release}
scale=${2:-1}
runs=${RUNS:-3}
bin=$(realpath "$build/bin")
ralu=$bin/ralu
log_lines=$bin/log_lines
for tool in "$ralu" "$log_lines"; do
  [[ -x $tool ]] || { echo "no $tool: build $build first" >&2; exit 2; }
done
command -v git >/dev/null || { echo "git is not installed" >&2; exit 2; }
if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
  echo "SCALE must be a number above 0, not '$scale'" >&2
  exit 2
fi
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a whole number above 0" >&2; exit 2; }
lines=$(awk -v s="$scale" 'BEGIN { printf "%.0f", int(2000000 * s) }')
((lines >= 4000)) || { echo "SCALE $scale is too small: 4,000 lines or more are needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-word-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The old file with every step-th line changed: a word put in front, and one
# word of the line replaced, so that each changed line holds a word change
# and words in common.
every_nth_changed() {  # step
  awk -v step="$1" 'NR % step == 7 % step { $2 = "changed" NR; print "w" NR, $0; next } { print }' \
    "$work/old"
}
"$log_lines" -n "$lines" >"$work/old"
every_nth_changed $((lines / 200)) >"$work/sparse"
every_nth_changed 20 >"$work/dense"
cd "$work"
echo "ralu: $ralu; git: $(git --version); $lines lines a file, $runs runs a command (median)"

modes=(
  "--word-diff"
  "--word-diff=porcelain"
  "--color-words"
  "--word-diff-regex=[a-z]+|[0-9]+"
)

seconds() {  # command... -> wall seconds, output dropped
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

for case in sparse dense; do
  cat old "$case" >/dev/null
  echo
  echo "== $case"
  declare -A ralu_times=() git_times=()
  for ((r = 0; r < runs; r++)); do
    for i in "${!modes[@]}"; do
      ralu_times[$i]+=" $(seconds "$ralu" "${modes[i]}" old "$case")"
      git_times[$i]+=" $(seconds git diff --no-index "${modes[i]}" old "$case")"
    done
  done
  printf '%-36s %8s %8s %9s\n' "mode" "ralu s" "git s" "ralu/git"
  for i in "${!modes[@]}"; do
    # shellcheck disable=SC2086  # the times are words
    ralu_s=$(median ${ralu_times[$i]})
    # shellcheck disable=SC2086
    git_s=$(median ${git_times[$i]})
    printf '%-36s %8s %8s %9s\n' "${modes[i]}" "$ralu_s" "$git_s" "$(ratio "$ralu_s" "$git_s")"
  done
done
