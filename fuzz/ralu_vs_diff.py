#!/usr/bin/env python3
"""Differential fuzzing of ralu against GNU diff, outside the test suite.

Takes real text files from the machine (C headers and Python modules), edits
each at random in ways whose shortest edit script is unique, and runs ralu
and diff with a random mix of options on the pair: an output form, matching
options, options that leave changes out, tab options, function lines,
labels. Standard output and exit status must be the same byte for byte.

An edit is unique when it touches only a line that occurs once in the file,
even with case and white space ignored, between two more such lines: those
lines anchor the only longest common subsequence, and between anchors the
two files are the same. New lines are unique too.

Usage: fuzz/ralu_vs_diff.py [path/to/ralu] [--cases N] [--seed S] [--show N] [--forms F,...]
Prints the count of cases, of those that differed, and the first few that did.
"""

import argparse
import glob
import os
import random
import re
import shlex
import subprocess
import sys
import tempfile

FORMATS = [
    "%L", "%l\n", "-%l\n", "%dn: %L", "%5dn|%l\n", "%-4dn%c'|'%L", "%xn %L", "%(n=1?first:other) %L",
    "%c'\\t'%L", "%%%l%c'\\012'",
]
GROUP_FORMATS = [
    "%<", "%>", "%=", "<<%<>>", "%dF,%dL %<", "%(F=L?one:%dF-%dL)\n%>", "-- %df %dl %dN\n%<---\n%>",
    "[%de %dE %dm %dM]\n", "%(f=0?start\n:)%=",
]


def normalized(line):
    return re.sub(rb"\s+", b"", line.lower())


def real_files(limit, rng):
    found = glob.glob("/usr/include/**/*.h", recursive=True)
    found += glob.glob("/usr/lib/python3*/**/*.py", recursive=True)
    files = []
    for path in found:
        try:
            size = os.path.getsize(path)
        except OSError:
            continue
        if 200 < size < 200_000:
            files.append(path)
    rng.shuffle(files)
    return files[:limit]


def anchored_positions(lines):
    """Indexes of lines that, with both neighbours, occur once each."""
    counts = {}
    for line in lines:
        key = normalized(line)
        counts[key] = counts.get(key, 0) + 1
    unique = [counts[normalized(line)] == 1 and normalized(line) != b"" for line in lines]
    return [i for i in range(1, len(lines) - 1) if unique[i - 1] and unique[i] and unique[i + 1]]


def edited(lines, rng, serial):
    """A copy of the lines with a few unique edits, far enough apart."""
    positions = anchored_positions(lines)
    if not positions:
        return None
    chosen = sorted(set(rng.sample(positions, min(len(positions), rng.randint(1, 8)))))
    kept = []
    for i in chosen:
        if not kept or i - kept[-1] >= 3:
            kept.append(i)
    out = list(lines)
    for i in reversed(kept):
        kind = rng.choice(["change", "delete", "insert", "blank", "comment", "tabbed"])
        new_line = b"changed line %d %d\n" % (serial, i)
        if kind == "change":
            out[i] = new_line
        elif kind == "delete":
            del out[i]
        elif kind == "insert":
            out.insert(i + 1, new_line)
        elif kind == "blank":
            out.insert(i + 1, b"\n")
        elif kind == "comment":
            out.insert(i + 1, b"# note %d %d\n" % (serial, i))
        else:
            out[i] = b"\tx%d\ty %d\n" % (serial, i)
    return out


ALL_FORMS = ["u", "U", "c", "C", "normal", "e", "n", "y", "D", "line", "group"]


def form_options(rng, forms):
    form = rng.choice(forms)
    if form == "u":
        return ["-u"]
    if form == "U":
        return ["-U", str(rng.randint(0, 6))]
    if form == "c":
        return ["-c"]
    if form == "C":
        return ["-C", str(rng.randint(0, 6))]
    if form == "normal":
        return ["--normal"]
    if form == "e":
        return ["-e"]
    if form == "n":
        return ["-n"]
    if form == "y":
        options = ["-y"]
        if rng.random() < 0.5:
            options += ["-W", str(rng.choice([20, 41, 60, 79, 80, 100, 130, 151]))]
        if rng.random() < 0.3:
            options.append("--left-column")
        if rng.random() < 0.4:
            options.append("--suppress-common-lines")
        return options
    if form == "D":
        return ["-D", rng.choice(["NAME", "HAVE_X", "A_B"])]
    if form == "line":
        options = []
        for which in ["old", "new", "unchanged"]:
            if rng.random() < 0.7:
                options.append(f"--{which}-line-format={rng.choice(FORMATS)}")
        return options or ["--line-format=%L"]
    options = []
    for which in ["old", "new", "changed", "unchanged"]:
        if rng.random() < 0.6:
            options.append(f"--{which}-group-format={rng.choice(GROUP_FORMATS)}")
    return options or ["--changed-group-format=%<%>"]


def other_options(rng):
    options = []
    for flag, chance in [("-i", 0.15), ("-w", 0.15), ("-b", 0.15), ("-E", 0.1), ("-Z", 0.1),
                         ("-B", 0.3), ("-t", 0.2), ("-T", 0.2), ("-p", 0.2), ("-d", 0.1),
                         ("--strip-trailing-cr", 0.05), ("-a", 0.05)]:
        if rng.random() < chance:
            options.append(flag)
    if rng.random() < 0.25:
        options += ["-I", rng.choice(["^#", "note", "^$", "changed"])]
    if rng.random() < 0.15:
        options.append(f"--tabsize={rng.randint(1, 9)}")
    if rng.random() < 0.1:
        options += ["-F", rng.choice(["^def", "^struct", "^#"])]
    if rng.random() < 0.1:
        options += ["--label", "old file", "--label", "new"]
    return options


def run(argv, cwd):
    done = subprocess.run(argv, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=dict(os.environ, TZ="UTC0", LC_ALL="C"), timeout=60)
    return done.returncode, done.stdout


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ralu", nargs="?", default="build/release/bin/ralu")
    parser.add_argument("--cases", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", type=int, default=5)
    parser.add_argument("--forms", default=",".join(ALL_FORMS),
                        help="the forms to try, of " + ",".join(ALL_FORMS))
    args = parser.parse_args()
    ralu = os.path.abspath(args.ralu)
    rng = random.Random(args.seed)
    forms = args.forms.split(",")
    if not set(forms) <= set(ALL_FORMS):
        sys.exit(f"--forms takes some of {','.join(ALL_FORMS)}")
    files = real_files(args.cases, rng)
    work = tempfile.mkdtemp(prefix="ralu-vs-diff-")
    cases = differing = skipped = 0
    shown = []
    serial = 0
    while cases < args.cases and files:
        path = files[cases % len(files)]
        with open(path, "rb") as f:
            lines = f.read().splitlines(keepends=True)
        serial += 1
        new_lines = edited(lines, rng, serial) if len(lines) > 3 else None
        if new_lines is None:
            skipped += 1
            files.remove(path)
            continue
        with open(os.path.join(work, "old"), "wb") as f:
            f.write(b"".join(lines))
        with open(os.path.join(work, "new"), "wb") as f:
            f.write(b"".join(new_lines))
        options = form_options(rng, forms) + other_options(rng)
        argv = options + ["old", "new"]
        cases += 1
        if run(["diff"] + argv, work) != run([ralu] + argv, work):
            differing += 1
            if len(shown) < args.show:
                keep = os.path.join(work, f"case{cases}")
                os.makedirs(keep)
                os.rename(os.path.join(work, "old"), os.path.join(keep, "old"))
                os.rename(os.path.join(work, "new"), os.path.join(keep, "new"))
                shown.append(f"{keep}: {shlex.join(argv)}  ({path})")
    print(f"{cases} cases on real files ({skipped} files skipped: no unique edit), "
          f"{differing} differed from diff")
    for line in shown:
        print("  " + line)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
