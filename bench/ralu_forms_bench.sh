#!/usr/bin/env bash
# ralu writing each of its output forms, beside GNU diff writing the same
# form, in one run on the same generated files, page cache warm, output to
# /dev/null. For each form it prints the median wall time of both, ralu's
# time against its own unified form writing the same lines (the changes with
# 3 lines of context, or every line for the forms that show every line), and
# ralu's time against diff's.
#
#   sparse  2,000,000 log lines (about 140 MB) against the same with 200
#           lines changed: the forms that show only the changes write little,
#           the ones that show every line (-y, -D, line formats) write it all
#   dense   the same lines with one line in 20 changed: every form writes
#           about the whole file
#
#   bench/ralu_forms_bench.sh [BUILD_DIR] [SCALE]
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
if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
  echo "SCALE must be a number above 0, not '$scale'" >&2
  exit 2
fi
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "RUNS must be a whole number above 0" >&2; exit 2; }
lines=$(awk -v s="$scale" 'BEGIN { printf "%.0f", int(2000000 * s) }')
((lines >= 4000)) || { echo "SCALE $scale is too small: 4,000 lines or more are needed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-forms-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The old file with every step-th line changed.
every_nth_changed() {  # step
  awk -v step="$1" 'NR % step == 7 % step { print "changed " NR " " $0; next } { print }' "$work/old"
}
"$log_lines" -n "$lines" >"$work/old"
every_nth_changed $((lines / 200)) >"$work/sparse"
every_nth_changed 20 >"$work/dense"
cd "$work"
echo "ralu: $ralu; $lines lines a file, $runs runs a command (median)"

# The forms, as the options that pick them, each after the unified run it is
# set against: "-u" for the forms that show the changes, and "-U 99999999"
# (unified with every line as context) for those that show every line.
forms=(
  "-u|-u"
  "-U 99999999|-U 99999999"
  "-u|--normal"
  "-u|-c"
  "-u|-e"
  "-u|-n"
  "-u|-y --suppress-common-lines"
  "-u|--old-line-format=-%L --new-line-format=+%L --unchanged-line-format="
  "-U 99999999|-y"
  "-U 99999999|-D NAME"
  "-U 99999999|--line-format=%dn:%L"
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
  # Rounds of every command in turn, so that a slow spell of the machine
  # falls on all of them alike.
  declare -A ralu_times=() diff_times=() unified=()
  for ((r = 0; r < runs; r++)); do
    for i in "${!forms[@]}"; do
      read -r -a args <<<"${forms[i]#*|}"
      ralu_times[$i]+=" $(seconds "$ralu" "${args[@]}" old "$case")"
      diff_times[$i]+=" $(seconds diff "${args[@]}" old "$case")"
    done
  done
  printf '%-52s %8s %8s %10s %10s  %s\n' "form" "ralu s" "diff s" "ralu/diff" "ralu/unif" "against"
  for i in "${!forms[@]}"; do
    reference=${forms[i]%%|*} form=${forms[i]#*|}
    # shellcheck disable=SC2086  # the times are words
    ralu_s=$(median ${ralu_times[$i]})
    # shellcheck disable=SC2086
    diff_s=$(median ${diff_times[$i]})
    [[ $form != "$reference" ]] || unified[$form]=$ralu_s
    printf '%-52s %8s %8s %10s %10s  %s\n' "${form:0:52}" "$ralu_s" "$diff_s" \
      "$(ratio "$ralu_s" "$diff_s")" "$(ratio "$ralu_s" "${unified[$reference]}")" "$reference"
  done
done
