#!/usr/bin/env python3
"""Sets `ralu -ruN OLD NEW`'s output against `diff -ruN OLD NEW`'s, outside hunks.

A hunk is an `@@ ... @@` line with its body, the lines after it that begin
with ' ', '+', '-' or '\\'. Every other line is outside: the heading of each
file pair (where ralu writes its own name for diff's, put back before the
comparison), the `---` and `+++` lines, "Binary files ... differ" and the
like. Lines outside hunks must be diff's. Hunks may differ where a change
has more than one shortest edit script and the two pick different ones, so
they are only counted: by file pair, hunk by hunk.

Usage: fuzz/ralu_tree_vs_diff.py RALU_OUTPUT DIFF_OUTPUT [--show N]
Exits with 1 when lines outside hunks differ. fuzz/ralu_tree_round_trip.sh
runs both tools and calls this.
"""

import argparse
import difflib
import sys

BODY = (b" ", b"+", b"-", b"\\")


def parsed(path, own_name):
    """The lines outside hunks, and the hunks of each file pair in order."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    outside, hunks = [], {}
    pair, hunk = None, None
    for number, line in enumerate(lines, 1):
        if hunk is not None and line.startswith(BODY):
            hunk.append(line)
            continue
        hunk = None
        if line.startswith(b"@@ ") and pair is not None:
            hunk = [line]
            hunks[pair].append(hunk)
            continue
        if line.startswith(own_name + b" -"):
            line = b"diff" + line[len(own_name):]
        if line.startswith(b"diff -"):
            pair = line
            hunks.setdefault(pair, [])
        outside.append((number, line))
    return outside, hunks


def changed_lines(hunks):
    return sum(line.startswith((b"+", b"-")) for hunk in hunks for line in hunk[1:])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ralu_output")
    parser.add_argument("diff_output")
    parser.add_argument("--show", type=int, default=5, help="differing lines to show")
    args = parser.parse_args()
    ralu_outside, ralu_hunks = parsed(args.ralu_output, b"ralu")
    diff_outside, diff_hunks = parsed(args.diff_output, b"diff")

    # Lines outside hunks, matched up so that one extra or missing line counts
    # once rather than shifting all that follow.
    a = [line for _, line in ralu_outside]
    b = [line for _, line in diff_outside]
    differing, shown = 0, []
    for tag, i1, i2, j1, j2 in difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes():
        if tag == "equal":
            continue
        differing += max(i2 - i1, j2 - j1)
        for k in range(max(i2 - i1, j2 - j1)):
            if len(shown) < args.show:
                ralu_side = ralu_outside[i1 + k] if i1 + k < i2 else ("-", b"(no line)")
                diff_side = diff_outside[j1 + k] if j1 + k < j2 else ("-", b"(no line)")
                shown.append((ralu_side, diff_side))
    print(f"lines outside hunks: ralu {len(a)}, diff {len(b)}; {differing} differ (goal 0)")
    for (ralu_number, ralu_line), (diff_number, diff_line) in shown:
        print(f"  ralu line {ralu_number}: {ralu_line[:200]!r}")
        print(f"  diff line {diff_number}: {diff_line[:200]!r}")

    # Hunks, pair by pair: the ones that are not the same hunk in the same
    # place, and the pairs where one tool marks more lines changed.
    hunks_differing = pairs_differing = longer = shorter = 0
    for pair in ralu_hunks.keys() | diff_hunks.keys():
        ours, theirs = ralu_hunks.get(pair, []), diff_hunks.get(pair, [])
        count = sum(x != y for x, y in zip(ours, theirs)) + abs(len(ours) - len(theirs))
        hunks_differing += count
        pairs_differing += count > 0
        if count:
            ours_changed, theirs_changed = changed_lines(ours), changed_lines(theirs)
            longer += ours_changed > theirs_changed
            shorter += ours_changed < theirs_changed
    print(f"hunks: ralu {sum(map(len, ralu_hunks.values()))}, diff {sum(map(len, diff_hunks.values()))};"
          f" {hunks_differing} differ, in {pairs_differing} of {len(diff_hunks)} file pairs"
          " (another shortest script may place them elsewhere)")
    print(f"  of those pairs, ralu marks more lines changed than diff in {longer}, fewer in {shorter}")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
