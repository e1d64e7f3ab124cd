#!/usr/bin/env bash
# ralu comparing folder trees, `ralu -ruN OLD NEW > /dev/null`, beside
# `diff -ruN OLD NEW > /dev/null` on the same trees, page cache warm (one
# run of each first, not counted), in interleaved rounds (ralu, diff, ralu,
# ...). For each case it prints the median wall time of both, their peak
# resident memory when build/.../bin/peak_memory is there, the ratio
# ralu/diff against the goal of at most 0.5, and whether ralu's report is
# diff's, the word heading each file pair aside.
#
#   generated  OLD: a copy of the largest Python standard library installed
#              (its site-packages left out) with its C headers, or of the
#              folder SOURCE_TREE names. NEW: OLD with seeded edits: about 3%
#              of the text files edited (lines inserted, deleted, changed), a
#              few files deleted, added and emptied, two that lose their last
#              newline, a small folder deleted, one added, a name with a
#              blank, a couple of binary files changed. Most files stay equal.
#   versions   two installed Python standard libraries compared as they are,
#              no copy: the two newest pyenv ones, or OLD_TREE and NEW_TREE.
#
#   bench/ralu_tree_bench.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR defaults to build/release (configure and build it first; its
# bin/ralu is the ralu measured). ROUNDS (default 7) is the timed runs of
# each tool. SEED (default 1) seeds the edits. KEEP=1 keeps the work folder
# with the generated trees (old/ and new/) and prints where it is.
set -euo pipefail

build=${1:-build/release}
rounds=${2:-7}
seed=${SEED:-1}
[[ -d $build/bin ]] || { echo "no $build/bin: build $build first" >&2; exit 2; }
bin=$(realpath "$build/bin")
ralu=$bin/ralu
peak_memory=$bin/peak_memory
[[ -x $ralu ]] || { echo "no $ralu: build $build first" >&2; exit 2; }
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
  library=$(largest_library /root/.pyenv/versions/*/lib/python3.*)
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

median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
mib() { awk -v k="$1" 'BEGIN { if (k > 0) printf "%.1f", k / 1024; else printf "-" }'; }
goal() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "missed") }'; }

# One run of a command, its output dropped: "WALL_SECONDS PEAK_KIB STATUS",
# the peak 0 (shown as "-") with no peak_memory to measure it.
run_once() {  # command...
  if [[ -x $peak_memory ]]; then
    local wall hwm status
    read -r wall hwm _ status < <("$peak_memory" "$@")
    echo "$wall $hwm $status"
    return
  fi
  local start end status=0
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || status=$?
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" -v s="$status" 'BEGIN { printf "%.3f 0 exit=%d\n", b - a, s }'
}

# Whether ralu's report is diff's, its own name heading each pair aside.
# Hunks may sit elsewhere when a change has more than one shortest script;
# fuzz/ralu_tree_round_trip.sh tells those apart from other differences.
compare_reports() {  # old new
  "$ralu" -ruN "$1" "$2" >ralu.out 2>&1 || true
  diff -ruN "$1" "$2" >diff.out 2>&1 || true
  sed 's/^ralu -ruN /diff -ruN /' ralu.out >ralu.cmp
  if cmp -s ralu.cmp diff.out; then
    echo "  output: identical to diff's, headings aside ($(wc -c <diff.out) bytes)"
  else
    echo "  output: not diff's byte for byte: ralu $(wc -c <ralu.out) bytes, diff $(wc -c <diff.out)," \
      "first difference in line $(cmp ralu.cmp diff.out 2>&1 | sed -n '1s/.*line //p')" \
      "(fuzz/ralu_tree_round_trip.sh tells hunk placement from other differences)"
  fi
  rm -f ralu.out ralu.cmp diff.out
}

measure_case() {  # title old new
  local title=$1 old=$2 new=$3 r tool wall peak status
  local -A walls=() peaks=() statuses=()
  run_once "$ralu" -ruN "$old" "$new" >/dev/null
  run_once diff -ruN "$old" "$new" >/dev/null
  for ((r = 0; r < rounds; r++)); do
    for tool in ralu diff; do
      if [[ $tool == ralu ]]; then
        read -r wall peak status < <(run_once "$ralu" -ruN "$old" "$new")
      else
        read -r wall peak status < <(run_once diff -ruN "$old" "$new")
      fi
      walls[$tool]+=" $wall" peaks[$tool]+=" $peak" statuses[$tool]+=" $status"
    done
  done
  echo
  echo "== $title"
  printf '%-6s %9s %13s   %s\n' tool "wall s" "peak RSS MiB" statuses
  local -A med=()
  for tool in ralu diff; do
    # shellcheck disable=SC2086  # the samples are words
    med[$tool]=$(median ${walls[$tool]})
    # shellcheck disable=SC2086
    printf '%-6s %9.3f %13s   %s\n' "$tool" "${med[$tool]}" "$(mib "$(median ${peaks[$tool]})")" \
      "$(printf '%s\n' ${statuses[$tool]} | sort | uniq -c | awk '{ printf "%s%s x%d", (NR > 1 ? ", " : ""), $2, $1 }')"
  done
  local wall_ratio
  wall_ratio=$(ratio "${med[ralu]}" "${med[diff]}")
  printf '  ralu/diff wall %s (goal <= 0.5: %s)\n' "$wall_ratio" "$(goal "$wall_ratio" 0.5)"
  compare_reports "$old" "$new"
}

echo "ralu: $ralu; $rounds rounds (median)$([[ -x $peak_memory ]] || echo ", no peak_memory: no memory figures")"
cd "$work"
measure_case "generated: old new" old new

# The two newest pyenv 3.x libraries, unless OLD_TREE and NEW_TREE are given.
if [[ -z ${OLD_TREE:-} && -z ${NEW_TREE:-} ]]; then
  mapfile -t versions < <(printf '%s\n' /root/.pyenv/versions/3.*/lib/python3.* | sort -V | tail -n 2)
  if ((${#versions[@]} == 2)) && [[ -d ${versions[0]} && -d ${versions[1]} ]]; then
    OLD_TREE=${versions[0]} NEW_TREE=${versions[1]}
  fi
fi
if [[ -n ${OLD_TREE:-} ]]; then
  measure_case "versions: $OLD_TREE $NEW_TREE" "$OLD_TREE" "$NEW_TREE"
else
  echo
  echo "== versions: skipped, no two pyenv versions found (set OLD_TREE and NEW_TREE)"
fi
