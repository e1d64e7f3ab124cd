#!/usr/bin/env bash
# Runs every fuzz target for a while from its seed corpus, in a scratch copy
# so the repository's corpus stays small. Stops at the first failure.
#
#   fuzz/run.sh BUILD_DIR [SECONDS_EACH]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
seconds=${2:-60}
scratch=$(mktemp -d "${TMPDIR:-/tmp}/kevo-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

for target in "$build"/bin/*_fuzz; do
  name=$(basename "$target")
  mkdir -p "$scratch/$name"
  seeds=("$here/corpus/$name")
  [[ -d ${seeds[0]} ]] || seeds=()
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$scratch/$name-" "$scratch/$name" "${seeds[@]}" 2>&1 |
    grep -E '^(INFO: seed|#[0-9]+ *DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==|SUMMARY|artifact_prefix|Test unit written)' || true
  if [[ ${PIPESTATUS[0]} -ne 0 ]]; then
    echo "$name failed; the input that broke it:" >&2
    ls "$scratch/$name-"* >&2 2>/dev/null || true
    exit 1
  fi
done
