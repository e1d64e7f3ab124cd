#!/usr/bin/env bash
# Runs the bash completion of ralu and kevo as bash runs it: each case sets
# COMP_WORDS and COMP_CWORD as readline would for the line typed, calls the
# completion function and compares the offers. The scripts are sourced alone,
# without the bash-completion package; compopt, which only works while
# readline completes, is a no-op here.
#
#   tests/completion_test.sh COMPLETION_DIR RALU
set -euo pipefail
completions=$(realpath "$1")
ralu=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/kevo-completion-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir reports 'two words'
: >a.txt >b.txt >pattern.list

source "$completions/ralu"
source "$completions/kevo"
compopt() { :; }

failures=0
# expect FUNCTION "OFFERS" WORD...: the words of the line, the last the one
# being completed; OFFERS sorted, one blank between them.
expect() {
  local function=$1 expected=$2
  shift 2
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "$function"
  local offered
  offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' ')
  if [[ $offered != "$expected" ]]; then
    echo "FAIL: ${COMP_WORDS[*]}"
    echo "  expected: $expected"
    echo "  offered:  $offered"
    failures=$((failures + 1))
  fi
}

# The long options ralu's help lists, one a line. "--new-, --changed- and
# --unchanged-group-format" shortens two names to a stem ending in '-': those
# go to help_stems.
help_words=$("$ralu" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
help_options=$(grep -v -- '-$' <<<"$help_words")
help_stems=$(grep -- '-$' <<<"$help_words" || true)
sorted_line() { sort -u | paste -sd' '; }

# Every long option the completion offers for "--", without the '=' that
# marks one taking a value.
COMP_WORDS=(ralu --) COMP_CWORD=1
_ralu
offered=$(printf '%s\n' "${COMPREPLY[@]}" | sed 's/=$//' | sort -u)
missing=$(comm -13 <(echo "$offered") <(echo "$help_options"))
if [[ -n $missing ]]; then
  echo "FAIL: in ralu --help but not completed:" $missing
  failures=$((failures + 1))
fi
# ...and each is in the help, in full or by a stem.
while read -r option; do
  grep -qx -- "$option" <<<"$help_options" && continue
  stem_found=false
  while read -r stem; do
    [[ -n $stem && $option == "$stem"* ]] && stem_found=true
  done <<<"$help_stems"
  $stem_found || { echo "FAIL: completed but not in ralu --help: $option"; failures=$((failures + 1)); }
done <<<"$offered"

# "--ign": what the help lists under that stem, a value-taking one with its '='.
ign_expected=$(grep -- '^--ign' <<<"$help_options" |
  sed 's/^--ignore-matching-lines$/&=/' | sorted_line)
expect _ralu "$ign_expected" ralu --ign
[[ $ign_expected == *--ignore-case* && $ign_expected == *--ignore-matching-lines=* ]] ||
  { echo "FAIL: ralu --help lists no --ignore-case or --ignore-matching-lines"; failures=$((failures + 1)); }

# ralu: values, names, and where options end.
expect _ralu "--color --color-words --color-words= --color=" ralu --colo
expect _ralu "--word-diff=plain" ralu --word-diff=pl
expect _ralu "--word-diff --word-diff-regex= --word-diff=" ralu --word-d
expect _ralu "always auto never" ralu --color =
expect _ralu "always auto never" ralu --color = ""
expect _ralu "always" ralu --color = al
expect _ralu "--color=always" ralu --color=al
expect _ralu "" ralu --color = maybe
expect _ralu "--unified --unified=" ralu --unif
expect _ralu "--width=" ralu --wid
expect _ralu "pattern.list" ralu -X p
expect _ralu "pattern.list" ralu -bX p
expect _ralu "pattern.list" ralu --exclude-from p
expect _ralu "pattern.list" ralu --exclude-from = p
expect _ralu "--from-file=pattern.list" ralu --from-file=p
expect _ralu "a.txt b.txt pattern.list reports two words" ralu -u ''
expect _ralu "a.txt" ralu -U2 a
expect _ralu "" ralu -- --ign
expect _ralu "-u" ralu -u
expect _ralu "two words" ralu a.txt tw

# kevo: letters, a folder after -o, then two names.
expect _kevo "-b -i -o -t -usage" kevo -
expect _kevo "-b -i -o -t" kevo -t -
expect _kevo "reports two words" kevo -o ''
expect _kevo "reports" kevo -bi -o r
expect _kevo "a.txt b.txt pattern.list reports two words" kevo -o reports ''
expect _kevo "pattern.list" kevo -t p
expect _kevo "b.txt" kevo a.txt b
expect _kevo "" kevo a.txt -
expect _kevo "" kevo a.txt b.txt ''

if ((failures > 0)); then
  echo "$failures completion check(s) failed"
  exit 1
fi
echo "completion checks passed"
