#!/usr/bin/env python3
"""ralu's word reports against git's, outside the test suite.

Generates pairs of files whose words are all distinct (no word occurs twice in
a file), so that both the line script and every word script are unique, and
edits them in place: words replaced, deleted and inserted, white space between
them changed, lines deleted, inserted and split, a last line end dropped. Each
pair runs through `ralu MODE -U N` and `git diff --no-index MODE -U N`, with a
random mode (--word-diff plain, color and porcelain, plain under --color,
--color-words, a word pattern); from the first hunk line on, the outputs must
be the same byte for byte (ralu's two header lines and git's four are left
out). No line begins with a letter, so that git finds no function line.

Usage: fuzz/ralu_word_check.py [path/to/ralu] [--cases N] [--seed S] [--show N]
Prints the count of cases, of those that differed, and the first few that did.
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile

# Words are a number and letters, both unique, so that the pattern that
# splits them apart finds distinct words too.
PATTERN = "[0-9]+|[a-z]+"
MODES = [
    ["--word-diff"],
    ["--word-diff=plain"],
    ["--word-diff=color"],
    ["--word-diff=porcelain"],
    ["--word-diff", "--color=always"],
    ["--color-words"],
    ["--color-words=" + PATTERN],
    ["--word-diff=porcelain", "--word-diff-regex=" + PATTERN],
    ["--word-diff-regex=" + PATTERN],
]
BLANKS = [" ", " ", " ", "  ", "\t", " \t", "   "]


class Words:
    """Hands out words never seen before."""

    def __init__(self, rng):
        self.rng = rng
        self.count = 0

    def letters(self, n):
        text = ""
        while True:
            text = chr(ord("a") + n % 26) + text
            n //= 26
            if n == 0:
                return text
            n -= 1

    def next(self):
        self.count += 1
        glue = self.rng.choice(["", "", ",", "(", "+", "."])
        return f"{self.count}{glue}{self.letters(self.count)}"


def blank(rng):
    return rng.choice(BLANKS)


def make_line(rng, words, count):
    lead = rng.choice(["", "", "", " ", "  ", "\t"])
    tail = rng.choice(["", "", "", "", " ", "\t "])
    body = ""
    for i in range(count):
        body += (blank(rng) if i else "") + words.next()
    return lead + body + tail


def split_line(line):
    """The line as alternating pieces: blank, word, blank, ..., blank."""
    pieces, current, in_word = [], "", False
    for ch in line:
        if (ch in " \t") == in_word:
            pieces.append(current)
            current, in_word = "", not in_word
        current += ch
    pieces.append(current)
    if in_word:
        pieces.append("")
    return pieces


def edit_line(rng, words, line):
    pieces = split_line(line)
    out = [pieces[0]]
    for i in range(1, len(pieces), 2):
        word, after = pieces[i], pieces[i + 1]
        roll = rng.random()
        if roll < 0.15:
            out += [words.next(), after]
        elif roll < 0.25:
            continue
        elif roll < 0.35:
            out += [word, blank(rng), words.next(), after]
        elif roll < 0.45 and after:
            out += [word, blank(rng) if i + 2 < len(pieces) - 1 else rng.choice(["", " "])]
        else:
            out += [word, after]
    text = "".join(out)
    return text if text.strip() else words.next()


def make_pair(rng):
    words = Words(rng)
    old = [make_line(rng, words, rng.randint(1, 6)) for _ in range(rng.randint(1, 14))]
    new = []
    for line in old:
        roll = rng.random()
        if roll < 0.45:
            new.append(line)
        elif roll < 0.75:
            new.append(edit_line(rng, words, line))
        elif roll < 0.83:
            pass
        elif roll < 0.91:
            new.append(line)
            new.append(make_line(rng, words, rng.randint(1, 4)))
        else:
            new.append(edit_line(rng, words, line))
            new.append(make_line(rng, words, rng.randint(1, 4)))
    if rng.random() < 0.1:
        new.insert(0, make_line(rng, words, 2))

    def text(lines):
        body = "".join(line + "\n" for line in lines)
        return body[:-1] if body and rng.random() < 0.15 else body

    return text(old), text(new)


def after_hunk_start(output):
    at = output.find(b"@@")
    if at < 0:
        return b""
    line_start = output.rfind(b"\n", 0, at) + 1
    return output[line_start:]


def run(command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ralu", nargs="?", default="build/release/bin/ralu")
    parser.add_argument("--cases", type=int, default=3000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--show", type=int, default=3)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    ralu = os.path.abspath(args.ralu)
    differed = 0
    with tempfile.TemporaryDirectory() as work:
        old_path, new_path = os.path.join(work, "old"), os.path.join(work, "new")
        for case in range(args.cases):
            old, new = make_pair(rng)
            with open(old_path, "w") as f:
                f.write(old)
            with open(new_path, "w") as f:
                f.write(new)
            options = rng.choice(MODES) + [f"-U{rng.randint(0, 5)}"]
            mine = run([ralu] + options + [old_path, new_path])
            theirs = run(["git", "diff", "--no-index"] + options + [old_path, new_path])
            same = (after_hunk_start(mine.stdout) == after_hunk_start(theirs.stdout)
                    and mine.returncode == theirs.returncode)
            if same:
                continue
            differed += 1
            if differed <= args.show:
                print(f"case {case}: {' '.join(options)}\nold: {old!r}\nnew: {new!r}")
                print(f"ralu ({mine.returncode}): {after_hunk_start(mine.stdout)!r} {mine.stderr!r}")
                print(f"git ({theirs.returncode}): {after_hunk_start(theirs.stdout)!r}")
    print(f"{args.cases} cases, {differed} differed")
    return 1 if differed else 0


if __name__ == "__main__":
    sys.exit(main())
