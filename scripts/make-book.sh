#!/usr/bin/env bash
# Builds the opening book `bibli.bok` from a text file of opening lines by typing them into the
# engine's own book editor, so the book's keys always match the engine that will read it.
#
#   make-book.sh ENGINE OPENINGS OUTPUT   writes the book to OUTPUT
#   make-book.sh --commands OPENINGS      prints the editor session instead of running it
#
# OPENINGS holds one line per opening: a weight, then coordinate moves from the initial
# position ("10 e2e4 e7e5 g1f3"). '#' starts a comment. Each position gets as its attrait the
# largest weight of the lines that reach it by the same moves; every score is 0.
set -euo pipefail

# The editor session for the lines of $1, without the surrounding console commands.
editor_session() {
    awk '
        { sub(/#.*/, "") }
        NF < 2 { next }
        $1 !~ /^[0-9]+$/ { printf "make-book: line %d: weight expected\n", NR > "/dev/stderr"; bad = 1; exit 1 }
        {
            plies[++n] = NF - 1
            prefix = ""
            for (i = 2; i <= NF; ++i) {
                prefix = prefix " " $i
                move[n, i - 1] = $i
                path[n, i - 1] = prefix
                if (!(prefix in weight) || weight[prefix] < $1 + 0) weight[prefix] = $1 + 0
            }
        }
        END {
            if (bad) exit 1
            for (l = 1; l <= n; ++l) {
                for (i = 1; i <= plies[l]; ++i) print move[l, i] "\na " weight[path[l, i]]
                print "-" plies[l]
            }
        }' "$1"
}

if [[ "${1:-}" == "--commands" ]]; then
    [[ $# -eq 2 ]] || { echo "usage: $0 --commands OPENINGS" >&2; exit 2; }
    echo "edit_book"
    editor_session "$2"
    printf 'sav\nexit\n'
    exit 0
fi

[[ $# -eq 3 ]] || { echo "usage: $0 ENGINE OPENINGS OUTPUT" >&2; exit 2; }
engine=$(realpath "$1")
openings=$(realpath "$2")
output=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$0" --commands "$openings" > "$work/session.txt"
echo quit >> "$work/session.txt"
# An empty working directory: the editor starts from no book and extends nothing.
(cd "$work" && "$engine" text < session.txt > session.log 2>&1) || true
if ! grep -q "Bienvenue dans l'editeur" "$work/session.log"; then
    echo "make-book: warning: this engine has no edit_book command; no book built" >&2
    exit 0
fi
if grep -q -E 'impossible|Commande inconnue|Execution manquee' "$work/session.log"; then
    grep -E 'impossible|Commande inconnue|Execution manquee' "$work/session.log" >&2
    echo "make-book: the editor rejected part of $openings" >&2
    exit 1
fi
if [[ ! -s "$work/bibli.bok" ]]; then
    echo "make-book: the engine wrote no book (is its edit_book command available?)" >&2
    exit 1
fi
mv "$work/bibli.bok" "$output"
grep -o -E '[0-9]+ positions sauvees' "$work/session.log" | sed 's/^/make-book: /'
