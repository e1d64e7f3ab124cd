#!/usr/bin/env bash
# `ralu -ruN` on real folder trees, outside the test suite: ralu's report of
# OLD against NEW, applied by GNU patch to a copy of OLD, must give NEW back,
# and its lines outside hunks must be `diff -ruN`'s (fuzz/ralu_tree_vs_diff.py
# compares those and counts the hunks that differ).
#
#   fuzz/ralu_tree_round_trip.sh [RALU] OLD NEW
#
# RALU defaults to build/release/bin/ralu. Both tools run in a work folder
# on OLD and NEW linked there as a/ and b/, so the reports name a/... and
# b/... and apply with -p1, as users run them.
#
# The patch goes in with `patch -p1 -s -f -F0 --no-backup-if-mismatch`: no
# fuzz, so a hunk whose context is wrong fails rather than slides into place;
# -f so that patch asks nothing and takes no patch for reversed. Not -E: that
# would remove every file left empty, also those that NEW holds empty. GNU
# patch tells a deleted file by the new side's date, the Epoch, which -N
# writes for a file missing on one side, and removes only those (and the
# folders they leave empty).
#
# What a text patch cannot carry is left out of the equality check, counted:
#   - files ralu reports as "Binary files a/X and b/X differ";
#   - empty files that NEW adds or deletes (-N takes a missing file for an
#     empty one, so there is no difference to report);
#   - folders: none is in a patch; patch makes a folder when it makes a file
#     in it and removes one that a deletion leaves empty. Each file is
#     compared by itself, so a folder's files are checked all the same.
# Exits with 0 when the round trip holds, no line outside hunks differs and
# both tools end with the same status.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
usage() { echo "usage: $0 [RALU] OLD NEW" >&2; exit 2; }
case $# in
  2) ralu=$here/../build/release/bin/ralu ;;
  3) ralu=$1; shift ;;
  *) usage ;;
esac
[[ -x $ralu ]] || { echo "no ralu at $ralu: build it first" >&2; exit 2; }
[[ -d $1 && -d $2 ]] || { echo "OLD and NEW must be folders" >&2; usage; }
for tool in diff patch python3; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
ralu=$(realpath "$ralu")
old=$(realpath "$1")
new=$(realpath "$2")
export LC_ALL=C

work=$(mktemp -d "${TMPDIR:-/tmp}/ralu-tree-round-trip-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
ln -s "$old" a
ln -s "$new" b
cp -a "$old" tree

ralu_status=0
"$ralu" -ruN a b >ralu.patch 2>ralu.err || ralu_status=$?
diff_status=0
diff -ruN a b >diff.patch 2>diff.err || diff_status=$?

# Every entry of a tree, one a line: "d PATH" for a folder, "e PATH" for an
# empty file, "f PATH" for any other.
listing() {  # folder
  (cd "$1" && find . -mindepth 1 \( -type d -printf 'd %P\n' \) -o \
    \( -type f -empty -printf 'e %P\n' \) -o -printf 'f %P\n') | sort
}
listing a >old.list
listing b >new.list
files=$(grep -hv '^d ' old.list new.list | cut -c3- | sort -u | wc -l)
echo "ralu: $ralu"
echo "OLD: $old"
echo "NEW: $new"
echo "files compared: $files ($(grep -vc '^d ' old.list) in OLD, $(grep -vc '^d ' new.list) in NEW)"

same() { if [[ $1 == "$2" ]]; then echo same; else echo DIFFERENT; fi; }
echo "exit status: ralu $ralu_status, diff $diff_status ($(same "$ralu_status" "$diff_status"))"
sed 's/^ralu:/diff:/' ralu.err >ralu.err.cmp
echo "standard error: ralu $(wc -l <ralu.err) lines, diff $(wc -l <diff.err)" \
  "($(cmp -s ralu.err.cmp diff.err && echo same || echo DIFFERENT))"

# --- round trip -----------------------------------------------------------------

sed -nE 's@^Binary files a/(.*) and b/\1 differ$@\1@p' ralu.patch >binary.list
pairs=$(grep -c '^ralu -ruN ' ralu.patch || true)
echo "patch: $(wc -c <ralu.patch) bytes, $pairs text file pairs," \
  "$(wc -l <binary.list) binary files skipped (\"Binary files ... differ\")"
# patch takes a report without a text pair for garbage: nothing to apply then.
patch_status=0
if ((pairs > 0)); then
  (cd tree && patch -p1 -s -f -F0 --no-backup-if-mismatch) <ralu.patch >patch.log 2>&1 || patch_status=$?
else
  : >patch.log
fi
listing tree >tree.list

# Entries on one side only (or of another kind), less what a patch cannot
# carry: binary files, folders, empty files NEW adds or deletes.
comm -3 tree.list new.list >one-sided.list
awk 'FILENAME == "old.list" { old[$0] = 1; present[substr($0, 3)] = 1; next }
     FILENAME == "binary.list" { binary[$0] = 1; next }
     {
       side = /^\t/ ? "NEW" : "the patched copy"
       entry = side == "NEW" ? substr($0, 2) : $0
       kind = substr(entry, 1, 1)
       path = substr(entry, 3)
     }
     path in binary { next }
     kind == "d" { folders++; next }
     kind == "e" && side == "NEW" && !(path in present) { empty++; next }
     kind == "e" && side != "NEW" && (entry in old) { empty++; next }
     { print "only in " side ": " entry }
     END { print folders + 0, empty + 0 >"left-out.txt" }' \
  old.list binary.list one-sided.list >list.diff

# Contents: diff -rq, less binary files and "Only in" lines (the lists above
# hold those, file by file).
sed 's@.*@Files tree/& and b/& differ@' binary.list >binary.expected
diff -rq tree b 2>&1 | grep -v '^Only in ' | grep -vxF -f binary.expected >content.diff || true

if [[ $patch_status == 0 && ! -s list.diff && ! -s content.diff ]]; then
  round_trip=OK
else
  round_trip=FAILED
fi
read -r left_folders left_empty <left-out.txt
echo "round trip: $round_trip (patch status $patch_status, $(wc -l <list.diff) file-list differences," \
  "$(wc -l <content.diff) content differences; left out as no patch carries them:" \
  "$left_folders folders, $left_empty empty files)"
for found in patch.log list.diff content.diff; do
  head -n 5 "$found" | sed "s/^/  $found: /"
done

# --- lines outside hunks --------------------------------------------------------------

outside=0
python3 "$here/ralu_tree_vs_diff.py" ralu.patch diff.patch || outside=$?
[[ $round_trip == OK && $outside == 0 && $ralu_status == "$diff_status" ]]
