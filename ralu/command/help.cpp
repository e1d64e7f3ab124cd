#include "ralu/command/help.h"

#include <cstdio>

namespace ralu {

namespace {

constexpr const char* help_lines[] = {
    "Usage: ralu [OPTION]... FILE1 FILE2",
    "  or:  ralu [OPTION]... --from-file=FILE FILE...  (or --to-file=FILE FILE...)",
    "Compares FILE1 and FILE2 line by line and writes their differences to standard output,",
    "as a unified diff unless an option picks another form. Options may come before, between",
    "or after the files.",
    "",
    "Output forms (one a run):",
    "  -u                          unified, with 3 lines of context (the default form)",
    "  -U NUM, --unified[=NUM]     unified, with NUM lines of context",
    "      --normal                diff's own default form: '2c2', '< old', '---', '> new'",
    "  -c, -C NUM, --context[=NUM] context form, with 3 (or NUM) lines of context",
    "  -NUM                        NUM lines of context for -u, -c and the default form",
    "  -e, --ed                    an ed script",
    "  -f, --forward-ed            ed's commands, from the first change to the last",
    "  -n, --rcs                   an RCS diff",
    "  -y, --side-by-side          two columns, changes marked in the gutter between them",
    "  -W NUM, --width=NUM         side by side, at most NUM columns wide (default 130)",
    "      --left-column           side by side, common lines only in the left column",
    "      --suppress-common-lines side by side, without the common lines",
    "      --suppress-blank-empty  no blank or tab after the mark of an empty line",
    "  -D NAME, --ifdef=NAME       the merged file, with #ifdef NAME around the changes",
    "      --line-format=LFMT      every line through LFMT; also --old-line-format=LFMT,",
    "                              --new-line-format=LFMT, --unchanged-line-format=LFMT",
    "      --old-group-format=GFMT every group of deleted lines through GFMT; also",
    "                              --new-, --changed- and --unchanged-group-format=GFMT",
    "  -t, --expand-tabs           expand tabs to blanks in the lines shown",
    "  -T, --initial-tab           a tab, not a blank, before the text of each line",
    "      --tabsize=NUM           tab stops every NUM columns (default 8)",
    "",
    "  -p, --show-c-function       show the C function each change is in",
    "  -F RE, --show-function-line=RE",
    "                              show the last line before each change that matches RE",
    "  -L, --label LABEL           use LABEL for a file's name and time in the header",
    "                              (once for FILE1, twice for FILE1 and FILE2)",
    "      --color[=WHEN]          colour the output: never, auto (on a terminal) or always;",
    "                              WHEN is auto when left out",
    "      --palette=PALETTE       the colours under --color, as KEY=CODE entries split by",
    "                              colons: hd header, ln hunk line, de deleted, ad added,",
    "                              rs reset, lc and rc the codes' start and end",
    "      --word-diff[=MODE]      git's word diff in the unified form's hunks: MODE plain",
    "                              ([-old-]{+new+}, the default), color, porcelain or none",
    "      --word-diff-regex=RE    words are the matches of the extended RE",
    "      --color-words[=RE]      --word-diff=color (and --word-diff-regex=RE)",
    "                              (which lines count as changed is diff's choice, as",
    "                              -i -w -b -B -I say; not with -c -y -e -q and the like)",
    "  -q, --brief                 only say whether the files differ",
    "  -s, --report-identical-files  say so when the files are the same",
    "",
    "  -i, --ignore-case           ignore case differences in ASCII letters",
    "  -E, --ignore-tab-expansion  ignore changes due to tab expansion",
    "  -Z, --ignore-trailing-space ignore white space at line end",
    "  -b, --ignore-space-change   ignore changes in the amount of white space",
    "  -w, --ignore-all-space      ignore all white space",
    "  -B, --ignore-blank-lines    ignore changes that only insert or delete blank lines",
    "  -I RE, --ignore-matching-lines=RE",
    "                              ignore changes whose every line matches RE",
    "      --strip-trailing-cr     strip a carriage return at the end of each input line",
    "  -a, --text                  read every file as text",
    "  -N, --new-file              read a missing file as empty",
    "  -r, --recursive             compare subdirectories too, all the way down",
    "  -P, --unidirectional-new-file  read a missing first file as empty",
    "  -x PAT, --exclude=PAT       leave out names in directories that match PAT",
    "  -X FILE, --exclude-from=FILE  leave out names that match a pattern in FILE",
    "                              ('-' for standard input)",
    "  -S NAME, --starting-file=NAME  start comparing directories at NAME",
    "      --ignore-file-name-case  pair names in directories whatever their case",
    "      --no-ignore-file-name-case  pair names in directories by their exact bytes",
    "      --no-dereference        compare symbolic links as links",
    "  -d, --minimal               always find a shortest edit script, however long it takes",
    "  -H, --speed-large-files     accepted; ralu is fast on large files anyway",
    "      --horizon-lines=NUM     look NUM lines ahead for where files agree again, and",
    "                                compare any pair a region at a time (files over",
    "                                64 MiB always are, looking 16384 lines ahead)",
    "      --from-file=FILE        compare FILE with each FILE given",
    "      --to-file=FILE          compare each FILE given with FILE",
    "      --help                  print this help and exit",
    "  -v, --version               print the version and exit",
    "",
    "A FILE of '-' is standard input. When one FILE is a directory, the file of the other's",
    "name inside it is compared; two directories are compared by the names they hold, as",
    "diff compares them. A file with a NUL byte in its first block is binary: ralu only says",
    "whether the files differ. Long options may be abbreviated while unambiguous; '--'",
    "ends the options. LFMT and GFMT take diff's % escapes (see ralu(1)).",
    "Exit status is 0 if the files are the same, 1 if they differ, 2 on trouble.",
};

}  // namespace

void print_help() {
  for (const char* line : help_lines) std::printf("%s\n", line);
}

void print_version() { std::printf("ralu (kevo) %s\n", RALU_VERSION); }

}  // namespace ralu
