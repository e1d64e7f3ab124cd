#!/usr/bin/env bash
# ralu writing each of its output forms, beside GNU diff writing the same
# form, in one run on the same generated files, page cache warm, output to
# /dev/null. For each form it prints the median wall time of both, ralu's
# time against its own unified form, and ralu's time against diff's.
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

every_nth() {  # step -> "-c LINE" for every step-th line
  local line
  for ((line = 7; line < lines; line += $1)); do printf -- '-c %d ' "$line"; done
}
"$log_lines" -n "$lines" >"$work/old"
# shellcheck disable=SC2046  # the changes are words
"$log_lines" -n "$lines" $(every_nth $((lines / 200))) >"$work/sparse"
# shellcheck disable=SC2046
"$log_lines" -n "$lines" $(every_nth 20) >"$work/dense"
cd "$work"
echo "ralu: $ralu; $lines lines a file, $runs runs a command (median)"

# The forms, as the options that pick them; unified first, the others are
# set against it.
forms=(
  "-u"
  "--normal"
  "-c"
  "-e"
  "-n"
  "-y"
  "-y --suppress-common-lines"
  "-D NAME"
  "--old-line-format=-%l%c'\\012' --new-line-format=+%l%c'\\012' --unchanged-line-format="
)

median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
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
  printf '%-50s %9s %9s %12s %10s\n' "form" "ralu s" "diff s" "ralu/unified" "ralu/diff"
  unified=
  for form in "${forms[@]}"; do
    eval "args=($form)"
    ralu_times=() diff_times=()
    for ((r = 0; r < runs; r++)); do
      ralu_times+=("$(seconds "$ralu" "${args[@]}" old "$case")")
      diff_times+=("$(seconds diff "${args[@]}" old "$case")")
    done
    ralu_s=$(median "${ralu_times[@]}")
    diff_s=$(median "${diff_times[@]}")
    [[ -n $unified ]] || unified=$ralu_s
    printf '%-50s %9s %9s %12s %10s\n' "${form:0:50}" "$ralu_s" "$diff_s" \
      "$(ratio "$ralu_s" "$unified")" "$(ratio "$ralu_s" "$diff_s")"
  done
done
