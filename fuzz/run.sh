#!/usr/bin/env bash
# Runs every fuzz target for a while from its seed corpus, in a scratch copy
# so the repository's corpus stays small. Every target runs even when one
# fails, so that one CI log shows all that broke; the script then exits 1.
# The inputs that broke a target (crash, leak, time-out, out-of-memory) are
# kept in BUILD_DIR/fuzz-failures and printed in base64, so that the log
# alone reproduces the failure.
#
#   fuzz/run.sh BUILD_DIR [SECONDS_EACH]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-60}
failures=$build/fuzz-failures
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kevo-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
rm -rf "$failures"

# The lines of a passing run worth seeing: the seed, the final statistics.
summary='^(INFO: seed|#[0-9]+[[:space:]]*DONE|stat::number_of_executed_units|stat::peak_rss_mb)'
# Where a failing run's report starts: a sanitizer's or libFuzzer's own
# "==PID==" line, or UndefinedBehaviorSanitizer's "runtime error".
report_start='^==[0-9]+==|runtime error:'

# Prints the report of a failed run, or its last lines when no report starts.
print_report() {
  local log=$1
  if grep -Eq "$report_start" "$log"; then
    awk -v start="$report_start" '$0 ~ start { found = 1 } found' "$log"
  else
    tail -n 40 "$log"
  fi
}

# Keeps the inputs a failed target left at its artifact prefix and prints
# each one with its size, its bytes and how to run it again.
keep_inputs() {
  local name=$1 target=$2 input kept count=0
  mkdir -p "$failures"
  for input in "$scratch/artifacts/$name-"*; do
    kept=$failures/$(basename "$input")
    cp "$input" "$kept"
    count=$((count + 1))
    echo "$name: input kept as $kept, $(wc -c <"$kept") bytes, in base64:"
    base64 "$kept"
    echo "$name: to run it again, decode it into a file and run: $target FILE"
  done
  ((count > 0)) || echo "$name: left no input behind"
}

shopt -s nullglob
targets=("$build"/bin/*_fuzz)
if ((${#targets[@]} == 0)); then
  echo "no fuzz targets in $build/bin" >&2
  exit 1
fi
mkdir -p "$scratch/artifacts"
failed=()
for target in "${targets[@]}"; do
  name=$(basename "$target")
  mkdir -p "$scratch/$name"
  seeds=()
  [[ -d $here/corpus/$name ]] && seeds=("$here/corpus/$name")
  echo "== $name for ${seconds}s"
  status=0
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$scratch/artifacts/$name-" "$scratch/$name" "${seeds[@]}" \
    >"$scratch/$name.log" 2>&1 || status=$?
  if ((status == 0)); then
    grep -E "$summary" "$scratch/$name.log" || true
    continue
  fi
  echo "$name FAILED with exit status $status"
  print_report "$scratch/$name.log"
  keep_inputs "$name" "$target"
  failed+=("$name")
done

if ((${#failed[@]} > 0)); then
  echo "fuzz targets that failed: ${failed[*]} (inputs in $failures)" >&2
  exit 1
fi
