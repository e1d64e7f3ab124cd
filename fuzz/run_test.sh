#!/usr/bin/env bash
# Checks fuzz/run.sh with two stand-in targets, one that crashes the way
# libFuzzer does (writes the input at its -artifact_prefix, prints a sanitizer
# report and exits 1) and, after it, one that passes. run.sh must still run
# the second, fail, keep that input under the build folder and show its bytes
# in the log.
#
#   fuzz/run_test.sh
set -euo pipefail
run=$(cd "$(dirname "$0")" && pwd)/run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/kevo-fuzz-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/bin"

cat >"$work/build/bin/b_pass_fuzz" <<'EOF'
#!/bin/sh
echo "#2	DONE   cov: 1 ft: 1 corp: 1/1b exec/s: 0 rss: 30Mb"
EOF
cat >"$work/build/bin/a_crash_fuzz" <<'EOF'
#!/bin/sh
for arg; do case $arg in -artifact_prefix=*) prefix=${arg#*=} ;; esac; done
printf 'k\000\377v!' >"${prefix}crash-0042"
echo "==42==ERROR: AddressSanitizer: heap-buffer-overflow on address 0x602000000011"
echo "SUMMARY: AddressSanitizer: heap-buffer-overflow strings.cpp:12 in find"
echo "Test unit written to ${prefix}crash-0042"
exit 1
EOF
chmod +x "$work/build/bin/"*_fuzz

fail() {
  echo "FAILED: $1"
  echo "--- fuzz/run.sh said:"
  cat "$work/log"
  exit 1
}
status=0
"$run" "$work/build" 1 >"$work/log" 2>&1 || status=$?
((status != 0)) || fail "exit status 0 although a target crashed"
grep -q '^== b_pass_fuzz' "$work/log" || fail "the target after the failed one did not run"
kept=$(find "$work/build/fuzz-failures" -type f -name 'a_crash_fuzz*' 2>/dev/null | head -n 1)
[[ -n $kept ]] || fail "the input that broke a_crash_fuzz was not kept"
printf 'k\000\377v!' | cmp -s - "$kept" || fail "the kept input is not the one written"
grep -q 'awD/diE=' "$work/log" || fail "the input's bytes (base64 awD/diE=) are not in the log"
grep -q '5 bytes' "$work/log" || fail "the input's size is not in the log"
grep -q 'heap-buffer-overflow' "$work/log" || fail "the sanitizer report is not in the log"

# With only the passing target, the run passes.
rm "$work/build/bin/a_crash_fuzz"
"$run" "$work/build" 1 >"$work/log" 2>&1 || fail "exit status $? with only a passing target"
echo "fuzz/run.sh: ok"
