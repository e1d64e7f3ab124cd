#!/usr/bin/env python3
"""Readability and minimality of ralu's reports beside `diff -u` and git's.

Assembles a corpus of real version pairs from what is installed: consecutive
versions of the same standard-library module or C header, for every pair of
Python versions found (pyenv's, /usr's, /usr/local's). Then, for each pair and
for seeded random pairs, it runs ralu, `diff` and `git diff --no-index
--indent-heuristic` with no context (-U0) and prints:

- the share of pairs whose hunks sit exactly where git puts them,
- the number of -U0 hunks each tool writes,
- the pairs, and the lines, by which each tool's report is longer than the
  minimal one (`ralu --minimal`, checked against `diff --minimal`).

With --hunk-bound it also prints, for the real pairs, the fewest -U0 hunks
that any tool could write while changing no more than 0.1% more lines than
the minimal scripts do (from bench/hunk_bound, built beside ralu): a bound
that shows how many hunks that much minimality allows.

Usage: bench/ralu_readability.py [path/to/ralu] [--random N] [--seed S]
                                 [--max-pairs N] [--show-misplaced N]
                                 [--skip-real] [--hunk-bound]
"""
import argparse
import glob
import os
import random
import re
import subprocess
import sys
import tempfile

HUNK = re.compile(rb"^@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@", re.M)


def hunks(report):
    """The (old start, old count, new start, new count) of every hunk."""
    return [
        (int(a), int(b) if b else 1, int(c), int(d) if d else 1)
        for a, b, c, d in HUNK.findall(report)
    ]


def run(argv):
    done = subprocess.run(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if done.returncode not in (0, 1):
        sys.exit(f"{' '.join(argv)} failed: {done.stderr.decode(errors='replace')}")
    return done.stdout


def version_key(path):
    found = re.search(r"python(\d+)\.(\d+)", path)
    return (int(found.group(1)), int(found.group(2))) if found else (0, 0)


def python_roots():
    """Pairs of (library folder, include folder) of each Python version found,
    one per version, oldest first."""
    roots = {}
    prefixes = glob.glob(os.path.expanduser("~/.pyenv/versions/*")) + ["/usr", "/usr/local"]
    for prefix in prefixes:
        for lib in glob.glob(os.path.join(prefix, "lib", "python3.*")):
            version = version_key(lib)
            include = os.path.join(prefix, "include", os.path.basename(lib))
            if version not in roots and os.path.isdir(lib):
                roots[version] = (lib, include)
    return [roots[v] for v in sorted(roots)]


def files_under(root, suffix):
    found = {}
    if not os.path.isdir(root):
        return found
    for folder, dirs, names in os.walk(root):
        dirs[:] = [d for d in dirs if d not in ("site-packages", "__pycache__", "test", "tests")]
        for name in names:
            if name.endswith(suffix):
                path = os.path.join(folder, name)
                found[os.path.relpath(path, root)] = path
    return found


def real_pairs(limit):
    roots = python_roots()
    pairs = []
    for (old_lib, old_inc), (new_lib, new_inc) in zip(roots, roots[1:]):
        for old_root, new_root, suffix in ((old_lib, new_lib, ".py"), (old_inc, new_inc, ".h")):
            old_files, new_files = files_under(old_root, suffix), files_under(new_root, suffix)
            for name in sorted(old_files.keys() & new_files.keys()):
                a, b = old_files[name], new_files[name]
                if os.path.getsize(a) > 2_000_000 or os.path.getsize(b) > 2_000_000:
                    continue
                with open(a, "rb") as fa, open(b, "rb") as fb:
                    if fa.read() != fb.read():
                        pairs.append((a, b))
    return pairs[:limit] if limit else pairs


def code_lines(rng):
    """Lines of a real source file, as a vocabulary with code's shape."""
    sources = glob.glob("/usr/include/*.h") + glob.glob("/usr/lib/python3*/*.py")
    while True:
        with open(rng.choice(sources), "rb") as f:
            lines = f.read().split(b"\n")
        if len(lines) > 50:
            return lines


def random_pair(rng):
    """Old and new text: 0 to 30,000 lines of a vocabulary of 2 to 2,000 lines,
    or unique lines, or code, with an edit rate from 0.05% to 100%."""
    size = int(rng.choice([rng.uniform(0, 1000), rng.uniform(1000, 10000), rng.uniform(0, 30000)]))
    kind = rng.choice(["words", "unique", "code"])
    if kind == "words":
        vocabulary = [b"w%d" % i for i in range(rng.choice([2, 3, 5, 10, 50, 200, 2000]))]
        old = [rng.choice(vocabulary) for _ in range(size)]
        fresh = lambda: rng.choice(vocabulary)
    elif kind == "unique":
        old = [b"line %d %08x" % (i, rng.getrandbits(32)) for i in range(size)]
        fresh = lambda: b"new %08x" % rng.getrandbits(32)
    else:
        source = code_lines(rng)
        start = rng.randrange(len(source))
        old = [source[(start + i) % len(source)] for i in range(size)]
        fresh = lambda: rng.choice(source)
    rate = 10 ** rng.uniform(-3.3, 0)
    new = list(old)
    for _ in range(int(rate * size)):
        at = rng.randrange(len(new) + 1)
        length = rng.choice([1, 1, 1, 2, 3, 5])
        action = rng.randrange(3)
        if action == 0:
            new[at:at] = [fresh() for _ in range(length)]
        elif action == 1:
            del new[at:at + length]
        else:
            new[at:at + length] = [fresh() for _ in range(length)]
    return b"\n".join(old) + b"\n", b"\n".join(new) + b"\n"


class Tally:
    def __init__(self):
        self.pairs = self.placed = self.hunks = 0
        self.changed = self.over_pairs = self.over_lines = 0

    def add(self, found, git_hunks, minimal):
        changed = sum(h[1] + h[3] for h in found)
        self.pairs += 1
        self.placed += found == git_hunks
        self.hunks += len(found)
        self.changed += changed
        self.over_pairs += changed > minimal
        self.over_lines += max(0, changed - minimal)


def measure(pairs, ralu, show_misplaced):
    tallies = {"ralu": Tally(), "diff": Tally(), "git": Tally()}
    minimal_lines = 0
    shown = 0
    for old, new in pairs:
        found = {
            "ralu": hunks(run([ralu, "-U0", old, new])),
            "diff": hunks(run(["diff", "-U0", "--text", old, new])),
            "git": hunks(run(["git", "--no-pager", "diff", "--no-index", "--no-color",
                              "--indent-heuristic", "-U0", old, new])),
        }
        minimal = sum(h[1] + h[3] for h in hunks(run([ralu, "--minimal", "-U0", old, new])))
        minimal_lines += minimal
        for name, tally in tallies.items():
            tally.add(found[name], found["git"], minimal)
        if found["ralu"] != found["git"] and shown < show_misplaced:
            shown += 1
            print(f"misplaced: {old} {new}\n  ralu {found['ralu'][:6]}\n  git  {found['git'][:6]}")
    return tallies, minimal_lines


def hunk_bound(pairs, ralu, minimal_lines, slack=0.001):
    """The fewest hunks a script set can have with at most minimal_lines *
    (1 + slack) changed lines: each pair's least score, changed lines plus
    twice the hunks, summed, bounds C + 2H from below for any tool."""
    tool = os.path.join(os.path.dirname(ralu), "hunk_bound")
    score = 0
    for old, new in pairs:
        found = run([tool, old, new]).split()
        if found == [b"skip"]:  # too large to try: at least its minimal lines and one hunk
            found = [sum(h[1] + h[3] for h in hunks(run([ralu, "--minimal", "-U0", old, new]))) + 2]
        score += int(found[0])
    allowed = int(minimal_lines * (1 + slack))
    fewest = -(-(score - allowed) // 2)
    print(f"fewest -U0 hunks possible within {100 * slack:.1f}% of minimal: {fewest}")


def report(title, tallies, minimal_lines):
    print(f"\n{title}: {tallies['ralu'].pairs} pairs, {minimal_lines} changed lines when minimal")
    print(f"{'tool':6} {'placed as git':>14} {'-U0 hunks':>10} {'pairs over min':>15} "
          f"{'lines over min':>15} {'excess':>8}")
    for name, t in tallies.items():
        share = 100.0 * t.placed / t.pairs if t.pairs else 0.0
        excess = 100.0 * t.over_lines / minimal_lines if minimal_lines else 0.0
        print(f"{name:6} {share:13.1f}% {t.hunks:10d} {t.over_pairs:15d} {t.over_lines:15d} "
              f"{excess:7.3f}%")


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("ralu", nargs="?", default=os.path.join(here, "../build/release/bin/ralu"))
    parser.add_argument("--random", type=int, default=1000, help="seeded random pairs")
    parser.add_argument("--seed", type=int, default=12)
    parser.add_argument("--max-pairs", type=int, default=0, help="limit on real pairs")
    parser.add_argument("--show-misplaced", type=int, default=0)
    parser.add_argument("--skip-real", action="store_true")
    parser.add_argument("--hunk-bound", action="store_true")
    args = parser.parse_args()
    ralu = os.path.abspath(args.ralu)

    if not args.skip_real:
        pairs = real_pairs(args.max_pairs)
        if pairs:
            tallies, minimal_lines = measure(pairs, ralu, args.show_misplaced)
            report("real version pairs", tallies, minimal_lines)
            if args.hunk_bound:
                hunk_bound(pairs, ralu, minimal_lines)
        else:
            print("no two versions of a Python library found: no real pairs")

    if args.random:
        rng = random.Random(args.seed)
        with tempfile.TemporaryDirectory(prefix="ralu-readability-") as work:
            paths = []
            for i in range(args.random):
                old, new = random_pair(rng)
                a, b = os.path.join(work, f"{i}.old"), os.path.join(work, f"{i}.new")
                with open(a, "wb") as fa, open(b, "wb") as fb:
                    fa.write(old)
                    fb.write(new)
                paths.append((a, b))
            report(f"seeded random pairs (seed {args.seed})", *measure(paths, ralu, 0))


if __name__ == "__main__":
    main()
