#!/usr/bin/env bash
# Benchmark of ralu against `diff -u` and `git diff --no-index` on generated
# inputs. For each case it prints the median wall time and peak memory of each
# tool, ralu's ratio to the better peer in both, and how many lines ralu marks
# as changed against what `diff --minimal` marks.
#
#   a  1,000,000 unique lines, 1,000 of them changed
#   b  100,000 lines, every one changed
#   c  200,000 lines of a 50-line vocabulary, 20,000 scattered edits
#   d  1,000,000 lines against an empty file
#   e  hostile: 100,000 lines (99,996 distinct) built to collide under a plain
#      unkeyed multiply-rotate line hash, as lines can be for any unkeyed hash;
#      ralu keys its hash with a seed, so to it they are ordinary lines
#   f  near-equal: 5,000,000 empty lines against 5,000,001
#   g  near-equal: one 200 MB line against the same line with one byte changed
#   h  1,000,000 random lines of "x" and "y" against another such: the search's
#      worst case, bounded by its cost cap (run once; XY=0 leaves it out)
#
# Usage: bench/ralu_bench.sh [path/to/ralu]    (RUNS=n sets the runs a tool;
#        CASES="a b" picks cases)
set -euo pipefail
# shellcheck source=bench/measures.sh
source "$(dirname "${BASH_SOURCE[0]}")/measures.sh"

here=$(cd "$(dirname "$0")" && pwd)
ralu=${1:-"$here/../build/release/bin/ralu"}
ralu=$(realpath "$ralu")
colliding_lines=$(dirname "$ralu")/colliding_lines
runs=${RUNS:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

# --- data -------------------------------------------------------------------

# Lines of a few random words with a line number in front, as in source text
# or logs: every line is unique.
perl -e '
  srand(11);
  my @w = map { join "", map { chr(97 + int(rand(26))) } 1 .. (3 + int(rand(6))) } 1 .. 2000;
  my %changed; $changed{int(rand(1_000_000))} = 1 while keys %changed < 1000;
  open my $old, ">", "a.old" or die; open my $new, ">", "a.new" or die;
  open my $big, ">", "d.old" or die;
  for my $i (0 .. 999_999) {
    my $line = "$i " . join(" ", map { $w[int(rand(@w))] } 1 .. 6) . "\n";
    print $old $line; print $big $line;
    print $new ($changed{$i} ? "changed $i " . int(rand(1e9)) . "\n" : $line);
  }'
: > d.new

perl -e '
  srand(12);
  open my $old, ">", "b.old" or die; open my $new, ">", "b.new" or die;
  for my $i (0 .. 99_999) {
    printf $old "old line %d %08x\n", $i, int(rand(2**32));
    printf $new "new line %d %08x\n", $i, int(rand(2**32));
  }'

# 20,000 edits at distinct random places: a third each change a line to
# another of the vocabulary, insert one before it, or delete it.
perl -e '
  srand(13);
  my @vocabulary = map { "vocabulary line number $_\n" } 1 .. 50;
  my %edit; $edit{int(rand(200_000))} = 1 + int(rand(3)) while keys %edit < 20_000;
  open my $old, ">", "c.old" or die; open my $new, ">", "c.new" or die;
  for my $i (0 .. 199_999) {
    my $line = $vocabulary[int(rand(50))];
    print $old $line;
    my $kind = $edit{$i} // 0;
    if ($kind == 1) { print $new $vocabulary[int(rand(50))]; }
    elsif ($kind == 2) { print $new $vocabulary[int(rand(50))], $line; }
    elsif ($kind == 0) { print $new $line; }
  }'

"$colliding_lines" 100000 > e.old
awk 'NR % 1000 != 0' e.old > e.new

perl -e 'print "\n" x 5_000_000' > f.old
perl -e 'print "\n" x 5_000_001' > f.new

perl -e '
  my $line = "abcdefghijklmnopqrstuvwxyz0123456789" x 5_825_243; $line .= "\n";
  open my $old, ">", "g.old" or die; print $old $line;
  substr($line, 100_000_000, 1) = "#";
  open my $new, ">", "g.new" or die; print $new $line;'

if [[ ${XY:-1} != 0 ]]; then
  perl -e '
    srand(17);
    for my $name ("h.old", "h.new") {
      open my $out, ">", $name or die;
      print $out (rand() < 0.5 ? "x\n" : "y\n") for 1 .. 1_000_000;
    }'
fi

# --- measuring ----------------------------------------------------------------

# Runs a command `runs` times with its output into a file; prints the median
# wall time in seconds and the median peak resident memory in KiB.
measure() {
  local times=() memories=() i start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o memory.txt "$@" > report.txt || [ $? -eq 1 ]
    end=$(date +%s%N)
    times+=("$(((end - start) / 1000))")
    memories+=("$(tail -n 1 memory.txt)")
  done
  local time_median memory_median
  time_median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  memory_median=$(printf '%s\n' "${memories[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
  printf '%d.%06d %s\n' $((time_median / 1000000)) $((time_median % 1000000)) "$memory_median"
}

# Lines a unified diff deletes or inserts, its two header lines aside. grep,
# not awk, as awk takes minutes over a line of 200 MB.
changed_lines() {
  tail -n +3 "$1" | grep -c '^[-+]' || true
}


printf '%-4s %9s %9s %9s %6s   %9s %9s %9s %6s   %9s %9s %8s\n' case \
  "ralu s" "diff s" "git s" ratio "ralu KiB" "diff KiB" "git KiB" ratio \
  "changed" "minimal" excess
default_cases="a b c d e f g"
[[ ${XY:-1} != 0 ]] && default_cases+=" h"
for case in ${CASES:-$default_cases}; do
  # The worst case of the search takes the peers most of a minute a run.
  if [[ $case == h ]]; then runs=1; else runs=${RUNS:-5}; fi
  read -r ralu_time ralu_memory < <(measure "$ralu" "$case.old" "$case.new")
  cp report.txt ralu.report
  read -r diff_time diff_memory < <(measure diff -u "$case.old" "$case.new")
  read -r git_time git_memory < <(measure git --no-pager diff --no-index --no-color \
    "$case.old" "$case.new")
  # A shortest script for h costs far more than the search it bounds.
  minimal=-
  excess=-
  if [[ $case != h ]]; then
    diff --minimal -u "$case.old" "$case.new" > minimal.report || [ $? -eq 1 ]
    minimal=$(changed_lines minimal.report)
  fi

  best_time=$(printf '%s\n%s\n' "$diff_time" "$git_time" | sort -g | head -n 1)
  best_memory=$(printf '%s\n%s\n' "$diff_memory" "$git_memory" | sort -g | head -n 1)
  changed=$(changed_lines ralu.report)
  [[ $minimal == - ]] || excess=$(awk -v a="$changed" -v b="$minimal" 'BEGIN { printf "%+.2f%%", (b > 0 ? 100 * (a - b) / b : 0) }')
  printf '%-4s %9.3f %9.3f %9.3f %6s   %9d %9d %9d %6s   %9s %9s %8s\n' "$case" \
    "$ralu_time" "$diff_time" "$git_time" "$(ratio "$ralu_time" "$best_time")" \
    "$ralu_memory" "$diff_memory" "$git_memory" "$(ratio "$ralu_memory" "$best_memory")" \
    "$changed" "$minimal" "$excess"
done
