#!/usr/bin/env bash
# `ralu -r --stat` beside `git diff --no-index --stat` on two installed
# Python standard libraries (3.8 and 3.9 from pyenv), copied without
# site-packages and bytecode caches (__pycache__, *.pyc). The page cache is
# warmed by one untimed run of each; then the tools run in interleaved
# rounds (ralu, git, ralu, ...), output to /dev/null, and the median wall and
# processor time (user and system, all threads) of each are printed, with
# ralu's ratios to git's against the goal (wall at most 0.5). It also says
# whether the two tables are the same.
#
#   bench/ralu_stat_bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to build/release (its bin/ralu and bin/run_times are
# used); ROUNDS defaults to 7. PYENV (default /root/.pyenv/versions) is where
# the releases are looked for. On a machine shared with other work, read the
# ratios of one run (the tools are interleaved) rather than the times.
set -euo pipefail
# shellcheck source=bench/measures.sh
source "$(dirname "${BASH_SOURCE[0]}")/measures.sh"

build=${1:-build/release}
rounds=${2:-7}
pyenv=${PYENV:-/root/.pyenv/versions}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "ROUNDS must be a whole number above 0, not '$rounds'" >&2; exit 2; }
bin=$(realpath "$build/bin" 2>/dev/null) || { echo "no $build/bin: build $build first" >&2; exit 2; }
ralu=$bin/ralu
run_times=$bin/run_times
[[ -x $ralu && -x $run_times ]] || { echo "no $ralu or $run_times: build $build first" >&2; exit 2; }
git=$(command -v git) || { echo "git is not installed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-stat-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A release's library, without what pip installed and without bytecode.
copy_library() {  # version to
  local library
  library=$(printf '%s\n' "$pyenv/$1"/lib/python3.* | head -n 1)
  [[ -d $library ]] || { echo "Python $1 is not installed in $pyenv (set PYENV)" >&2; exit 2; }
  mkdir -p "$2"
  tar -C "$library" -cf - --exclude=./site-packages --exclude=__pycache__ --exclude='*.pyc' . |
    tar -C "$2" -xpf -
}

copy_library 3.8.18 "$work/old"
copy_library 3.9.18 "$work/new"
cd "$work"

# No configuration of the user's may slow git down or change its table.
export HOME=$work GIT_CONFIG_NOSYSTEM=1 COLUMNS=80 LC_ALL=C
ralu_args=(-r --stat old new)
git_args=(diff --no-index --no-color --stat old new)


"$run_times" "$ralu" "${ralu_args[@]}" >/dev/null
"$run_times" "$git" "${git_args[@]}" >/dev/null
ralu_walls=() ralu_cpus=() git_walls=() git_cpus=()
for ((r = 0; r < rounds; r++)); do
  read -r wall cpu _ < <("$run_times" "$ralu" "${ralu_args[@]}")
  ralu_walls+=("$wall") ralu_cpus+=("$cpu")
  read -r wall cpu _ < <("$run_times" "$git" "${git_args[@]}")
  git_walls+=("$wall") git_cpus+=("$cpu")
done

rw=$(median "${ralu_walls[@]}") rc=$(median "${ralu_cpus[@]}")
gw=$(median "${git_walls[@]}") gc=$(median "${git_cpus[@]}")
echo "trees: Python 3.8 ($(find old -type f | wc -l) files) and 3.9 ($(find new -type f | wc -l) files)"
printf '%-5s %10s %10s\n' tool "wall ms" "cpu ms"
awk -v w="$rw" -v c="$rc" 'BEGIN { printf "ralu  %10.1f %10.1f\n", w * 1000, c * 1000 }'
awk -v w="$gw" -v c="$gc" 'BEGIN { printf "git   %10.1f %10.1f\n", w * 1000, c * 1000 }'
awk -v rw="$rw" -v gw="$gw" -v rc="$rc" -v gc="$gc" 'BEGIN {
  wall = rw / gw; cpu = rc / gc
  printf "ralu/git wall %.2f (goal <= 0.5: %s), cpu %.2f\n", wall, (wall <= 0.5 ? "met" : "missed"), cpu
}'
# git finds renames, which ralu does not; the lines of the other pairs are
# compared.
"$ralu" "${ralu_args[@]}" | sort >ralu.table || true
"$git" "${git_args[@]}" | sort >git.table || true
echo "table lines: ralu $(wc -l <ralu.table), git $(wc -l <git.table)," \
  "the same in both: $(comm -12 ralu.table git.table | wc -l)"
