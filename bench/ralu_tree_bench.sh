#!/usr/bin/env bash
# ralu comparing folder trees beside GNU diff on the same trees, page cache
# warm (one run of each first, not counted), in interleaved rounds (ralu,
# diff, ralu, ...), output to /dev/null. For each tree it times `-ruN` and
# `-rq`, and prints the median wall and processor time (user and system, all
# threads) of both tools, ralu's ratios to diff's against the goals (wall at
# most 0.5, processor time at most 1.0 for -ruN), the peak resident memory
# of one run when build/.../bin/peak_memory is there, and whether ralu's
# report is diff's, the word heading each file pair aside. A table of every
# ratio ends the run.
#
#   generated  OLD: a copy of the largest Python standard library installed
#              (its site-packages left out) with its C headers, or of the
#              folder SOURCE_TREE names. NEW: OLD with seeded edits: about 3%
#              of the text files edited (lines inserted, deleted, changed), a
#              few files deleted, added and emptied, two that lose their last
#              newline, a small folder deleted, one added, a name with a
#              blank, a couple of binary files changed. Most files stay equal.
#   adjacent   two releases as they are installed: the library and C headers
#   far apart  of Python 3.8 and 3.9 (adjacent) and of 3.6 and 3.13 (far
#              apart) from pyenv, copied without site-packages and bytecode
#              caches (__pycache__, *.pyc). A third of their files differ.
#   given      OLD_TREE against NEW_TREE as they are, when both are set.
#   small pair `ralu -u` beside `diff -u` on one library file of a few
#              hundred lines in Python 3.8 and 3.9 (string.py), run LOOP
#              times (default 200) a sample, so that start-up counts as it
#              does for kevo, which starts ralu once for every pair.
# A case whose Python versions are not installed is skipped, saying so.
#
#   bench/ralu_tree_bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to build/release (configure and build it first; its
# bin/ralu is the ralu measured, its bin/run_times times the runs). ROUNDS
# (default 7) is the timed runs of each tool. SEED (default 1) seeds the
# edits. PYENV (default /root/.pyenv/versions) is where the releases are
# looked for. KEEP=1 keeps the work folder with the trees and prints where
# it is. On a machine shared with other work, compare ratios of one run
# (the tools are interleaved) rather than times of different runs.
set -euo pipefail
# shellcheck source=bench/measures.sh
source "$(dirname "${BASH_SOURCE[0]}")/measures.sh"

build=${1:-build/release}
rounds=${2:-7}
seed=${SEED:-1}
[[ -d $build/bin ]] || { echo "no $build/bin: build $build first" >&2; exit 2; }
bin=$(realpath "$build/bin")
ralu=$bin/ralu
peak_memory=$bin/peak_memory
run_times=$bin/run_times
loop=${LOOP:-200}
pyenv=${PYENV:-/root/.pyenv/versions}
[[ -x $ralu ]] || { echo "no $ralu: build $build first" >&2; exit 2; }
[[ -x $run_times ]] || { echo "no $run_times: build $build first" >&2; exit 2; }
[[ $loop =~ ^[1-9][0-9]*$ ]] || { echo "LOOP must be a whole number above 0, not '$loop'" >&2; exit 2; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "ROUNDS must be a whole number above 0, not '$rounds'" >&2; exit 2; }
[[ $seed =~ ^[0-9]+$ ]] || { echo "SEED must be a whole number, not '$seed'" >&2; exit 2; }
if [[ -n ${OLD_TREE:-}${NEW_TREE:-} && ! ( -d ${OLD_TREE:-} && -d ${NEW_TREE:-} ) ]]; then
  echo "OLD_TREE and NEW_TREE must both name folders" >&2
  exit 2
fi
command -v python3 >/dev/null || { echo "python3 is needed to edit the copy" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-tree-bench-XXXXXX")
if [[ ${KEEP:-0} == 1 ]]; then
  trap 'echo "kept $work"' EXIT
else
  trap 'rm -rf "$work"' EXIT
fi
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the trees ------------------------------------------------------------------

# The largest of the given standard library folders, by the size of what
# they hold outside site-packages (installed packages, not the library).
largest_library() {  # folder...
  local folder
  for folder in "$@"; do
    [[ -d $folder ]] || continue
    printf '%s\t%s\n' "$(du -sk --exclude=site-packages --exclude=dist-packages "$folder" | cut -f1)" "$folder"
  done | sort -n | tail -n 1 | cut -f2
}

# A copy of a folder, times kept, site-packages and dist-packages left out.
copy_tree() {  # from to
  mkdir -p "$2"
  tar -C "$1" -cf - --exclude=./site-packages --exclude=./dist-packages . | tar -C "$2" -xpf -
}

if [[ -n ${SOURCE_TREE:-} ]]; then
  [[ -d $SOURCE_TREE ]] || { echo "SOURCE_TREE '$SOURCE_TREE' is not a folder" >&2; exit 2; }
  copy_tree "$SOURCE_TREE" "$work/old"
  echo "source: $SOURCE_TREE"
else
  library=$(largest_library "$pyenv"/*/lib/python3.*)
  if [[ -n $library ]]; then
    headers=${library%/lib/*}/include/${library##*/}
  else
    library=$(largest_library /usr/lib/python3.*)
    headers=/usr/include/${library##*/}
  fi
  [[ -n $library ]] || { echo "no Python standard library found: set SOURCE_TREE" >&2; exit 2; }
  copy_tree "$library" "$work/old/lib"
  [[ -d $headers ]] && copy_tree "$headers" "$work/old/include"
  echo "source: $library and ${headers} (site-packages left out)"
fi
cp -a "$work/old" "$work/new"

# The edits to NEW, drawn from a seeded generator over the sorted file list,
# so that a seed always gives the same trees.
python3 - "$work/new" "$seed" <<'EOF'
import os
import random
import shutil
import sys

root, rng = sys.argv[1], random.Random(int(sys.argv[2]))
files = sorted(os.path.relpath(os.path.join(folder, name), root)
               for folder, _, names in os.walk(root) for name in names)


def read(path):
    with open(os.path.join(root, path), "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
    with open(os.path.join(root, path), "wb") as f:
        f.write(data)


def new_lines(tag, count):
    return [b"# %s, line %d: %d\n" % (tag, i, rng.randrange(10**6)) for i in range(count)]


contents = {path: read(path) for path in files}
text = [path for path in files if contents[path] and b"\0" not in contents[path]]
binary = [path for path in files if b"\0" in contents[path]]
edited_count = max(1, len(text) * 3 // 100)
few = max(2, len(text) // 500)
picked = rng.sample(text, min(len(text), edited_count + few + 5))
edited, deleted = picked[:edited_count], picked[edited_count:edited_count + few]
emptied, unended = picked[-5:-2], picked[-2:]

# Up to four edits a file, made from the end so that each one's place holds.
for serial, path in enumerate(edited):
    lines = contents[path].splitlines(keepends=True)
    spots = sorted(rng.sample(range(len(lines) + 1), min(len(lines) + 1, rng.randint(1, 4))))
    for place in reversed(spots):
        kind = rng.choice(["insert", "delete", "change"])
        count = rng.randint(1, 5)
        tag = b"%s %d" % (kind.encode(), serial)
        if kind == "insert":
            lines[place:place] = new_lines(tag, count)
        elif kind == "delete":
            del lines[place:place + count]
        else:
            lines[place:place + count] = new_lines(tag, min(count, 3))
    write(path, b"".join(lines))
for path in deleted:
    os.remove(os.path.join(root, path))
for path in emptied:
    write(path, b"")
for path in unended:
    write(path, contents[path].rstrip(b"\n"))

# A small folder (three files or fewer, none touched above) goes away.
touched = set(picked)
folders = {}
for path in files:
    folders.setdefault(os.path.dirname(path), []).append(path)
small = sorted(folder for folder, held in folders.items()
               if folder and len(held) <= 3 and not touched & set(held)
               and not any(other.startswith(folder + "/") for other in folders))
gone = rng.choice(small) if small else None
if gone:
    shutil.rmtree(os.path.join(root, gone))

# New files beside old ones, a new folder, a name with a blank.
kept = [path for path in files if not gone or not path.startswith(gone + "/")]
places = sorted({os.path.dirname(path) for path in rng.sample(kept, few)})
added = [os.path.join(folder, "added_%d.py" % i) for i, folder in enumerate(places)]
added += ["added folder/first.txt", "added folder/second.txt",
          os.path.join(places[0], "notes for review.txt")]
for i, path in enumerate(added):
    write(path, b"".join(new_lines(b"added %d" % i, rng.randint(1, 60))))

# Binary files: two changed in one byte, one added.
binary = [path for path in binary if not gone or not path.startswith(gone + "/")]
for path in rng.sample(binary, min(2, len(binary))):
    data = bytearray(contents[path])
    data[len(data) // 2] ^= 0xFF
    write(path, bytes(data))
write("added folder/data.bin", bytes(rng.randrange(256) for _ in range(4096)) + b"\0")

print(f"edits: {len(text)} text files, {len(edited)} edited, {len(deleted)} deleted, "
      f"{len(emptied)} emptied, {len(unended)} without their last newline, "
      f"{len(added)} added, folder {gone or '(none)'} deleted; "
      f"{len(binary)} binary files, {min(2, len(binary))} changed, 1 added")
EOF
echo "trees: $(find "$work/old" -type f | wc -l) files, $(du -sm "$work/old" | cut -f1) MiB in OLD"

# --- measuring ------------------------------------------------------------------

mib() { awk -v k="$1" 'BEGIN { if (k > 0) printf "%.1f", k / 1024; else printf "-" }'; }
ms() { awk -v s="$1" -v n="${2:-1}" 'BEGIN { printf "%.2f", s * 1000 / n }'; }
# How far the samples spread: (largest - smallest) / median, in percent.
spread() {  # sample...
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { m = v[int((NR + 1) / 2)];
    printf "%.0f%%", (m > 0 ? (v[NR] - v[1]) / m * 100 : 0) }'
}

# The peak resident memory of one run, in KiB (0 without peak_memory).
peak_of() {  # command...
  [[ -x $peak_memory ]] || { echo 0; return; }
  local hwm
  read -r _ hwm _ _ < <("$peak_memory" "$@")
  echo "$hwm"
}

# Whether ralu's report is diff's, its own name heading each pair aside.
# Hunks may sit elsewhere when a change has more than one shortest script;
# fuzz/ralu_tree_round_trip.sh tells those apart from other differences.
compare_reports() {  # switch old new
  "$ralu" "$1" "$2" "$3" >ralu.out 2>&1 || true
  diff "$1" "$2" "$3" >diff.out 2>&1 || true
  sed "s/^ralu $1 /diff $1 /" ralu.out >ralu.cmp
  if cmp -s ralu.cmp diff.out; then
    echo "  output: identical to diff's, headings aside ($(wc -c <diff.out) bytes)"
  else
    echo "  output: not diff's byte for byte: ralu $(wc -c <ralu.out) bytes, diff $(wc -c <diff.out)," \
      "first difference in line $(cmp ralu.cmp diff.out 2>&1 | sed -n '1s/.*line //p')" \
      "(fuzz/ralu_tree_round_trip.sh tells hunk placement from other differences)"
  fi
  rm -f ralu.out ralu.cmp diff.out
}

summary=()

# Times ralu and diff with the same arguments, interleaved, `count` runs a
# sample, and prints the medians, ratios and goals.
measure() {  # title count wall_goal cpu_goal argument...
  local title=$1 count=$2 wall_goal=$3 cpu_goal=$4 r tool wall cpu status
  shift 4
  local -A walls=() cpus=() statuses=() med_wall=() med_cpu=()
  "$run_times" "$ralu" "$@" >/dev/null
  "$run_times" diff "$@" >/dev/null
  for ((r = 0; r < rounds; r++)); do
    for tool in ralu diff; do
      local program=$ralu
      [[ $tool == diff ]] && program=diff
      read -r wall cpu status < <("$run_times" -n "$count" "$program" "$@")
      walls[$tool]+=" $wall" cpus[$tool]+=" $cpu" statuses[$tool]+=" $status"
    done
  done
  echo
  echo "== $title"
  printf '%-6s %10s %10s %7s %12s   %s\n' tool "wall ms" "cpu ms" spread "peak RSS MiB" statuses
  for tool in ralu diff; do
    local program=$ralu
    [[ $tool == diff ]] && program=diff
    # shellcheck disable=SC2086  # the samples are words
    med_wall[$tool]=$(median ${walls[$tool]})
    # shellcheck disable=SC2086
    med_cpu[$tool]=$(median ${cpus[$tool]})
    # shellcheck disable=SC2086
    printf '%-6s %10s %10s %7s %12s   %s\n' "$tool" "$(ms "${med_wall[$tool]}" "$count")" \
      "$(ms "${med_cpu[$tool]}" "$count")" "$(spread ${walls[$tool]})" \
      "$(mib "$(peak_of "$program" "$@")")" \
      "$(printf '%s\n' ${statuses[$tool]} | sort | uniq -c | awk '{ printf "%s%s x%d", (NR > 1 ? ", " : ""), $2, $1 }')"
  done
  local wall_ratio cpu_ratio line
  wall_ratio=$(ratio "${med_wall[ralu]}" "${med_wall[diff]}")
  cpu_ratio=$(ratio "${med_cpu[ralu]}" "${med_cpu[diff]}")
  line="  ralu/diff wall $wall_ratio"
  [[ $wall_goal != - ]] && line+=" (goal <= $wall_goal: $(goal "$wall_ratio" "$wall_goal"))"
  line+=", cpu $cpu_ratio"
  [[ $cpu_goal != - ]] && line+=" (goal <= $cpu_goal: $(goal "$cpu_ratio" "$cpu_goal"))"
  echo "$line"
  summary+=("$(printf '%-34s %6s %6s' "$title" "$wall_ratio" "$cpu_ratio")")
}

# -ruN and -rq on one pair of trees.
measure_trees() {  # title old new
  measure "$1: -ruN" 1 0.5 1.0 -ruN "$2" "$3"
  compare_reports -ruN "$2" "$3"
  measure "$1: -rq" 1 0.5 - -rq "$2" "$3"
  compare_reports -rq "$2" "$3"
}

# The installed library and C headers of a pyenv Python, bytecode caches and
# site-packages left out, copied to `to`; false when it is not installed.
copy_release() {  # version to
  local root=$pyenv/$1 library headers
  library=$(printf '%s\n' "$root"/lib/python3.* | head -n 1)
  headers=$(printf '%s\n' "$root"/include/python3.* | head -n 1)
  [[ -d $library && -d $headers ]] || return 1
  mkdir -p "$2/lib" "$2/include"
  tar -C "$library" -cf - --exclude=./site-packages --exclude=__pycache__ --exclude='*.pyc' . |
    tar -C "$2/lib" -xpf -
  tar -C "$headers" -cf - . | tar -C "$2/include" -xpf -
}

release_pair() {  # title old_version new_version
  if copy_release "$2" "$work/$2" && copy_release "$3" "$work/$3"; then
    echo
    echo "trees: Python $2 ($(find "$2" -type f | wc -l) files) and $3" \
      "($(find "$3" -type f | wc -l) files), $(diff -rq "$2" "$3" | grep -c '^Files') pairs differ"
    measure_trees "$1: $2 -> $3" "$2" "$3"
  else
    echo
    echo "== $1: skipped, Python $2 or $3 not installed in $pyenv (set PYENV)"
  fi
}

echo "ralu: $ralu; $rounds rounds (median)$([[ -x $peak_memory ]] || echo ", no peak_memory: no memory figures")"
cd "$work"
measure_trees "generated" old new
release_pair "adjacent" 3.8.18 3.9.18
release_pair "far apart" 3.6.15 3.13.0
if [[ -n ${OLD_TREE:-} ]]; then
  measure_trees "given" "$OLD_TREE" "$NEW_TREE"
fi

small_old=$work/3.8.18/lib/string.py
small_new=$work/3.9.18/lib/string.py
if [[ -f $small_old && -f $small_new ]]; then
  echo
  echo "small pair: lib/string.py of Python 3.8.18 ($(wc -l <"$small_old") lines) and 3.9.18" \
    "($(wc -l <"$small_new") lines), $loop runs a sample; times are per run"
  measure "small pair: -u" "$loop" - 1.0 -u "$small_old" "$small_new"
else
  echo
  echo "== small pair: skipped, Python 3.8.18 and 3.9.18 not installed in $pyenv (set PYENV)"
fi

echo
echo "== ratios ralu/diff (medians of $rounds rounds, each run interleaved with diff)"
printf '%-34s %6s %6s\n' case wall cpu
printf '%s\n' "${summary[@]}"
