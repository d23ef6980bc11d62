#!/usr/bin/env bash
# `make install` into a scratch DESTDIR: every file in place, the installed engine run from
# another directory finds the installed book, its manual page renders, and `make uninstall`
# leaves the scratch tree empty. Usage: install_test.sh SOURCE_DIR BUILD_DIR
set -u
source_dir=$1
build_dir=$2
unset MAKEFLAGS MAKELEVEL MFLAGS  # a make of its own, not a part of the one running ctest
scratch=$(mktemp -d /tmp/quarvelin_install.XXXXXX)
elsewhere=$(mktemp -d /tmp/quarvelin_elsewhere.XXXXXX)
trap 'rm -rf "$scratch" "$elsewhere"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

make -s -C "$source_dir" install BUILD_DIR="$build_dir" DESTDIR="$scratch" PREFIX=/usr/local \
    || fail "make install"
root=$scratch/usr/local
for f in games/quarvelin games/quarvelin-book share/games/quarvelin/bibli.bok \
         share/games/quarvelin/quarvelin.bin share/man/man6/quarvelin.6 share/games/plugins/xboard/quarvelin.eng; do
    [ -f "$root/$f" ] || fail "$f was not installed"
done
[ "$(cat "$root/share/games/plugins/xboard/quarvelin.eng")" = \
  "$(printf 'plugin spec 0.0\n/usr/local/games/quarvelin\nchess')" ] || fail "the engine list entry"
cmp -s "$build_dir/default-book/bibli.bok" "$root/share/games/quarvelin/bibli.bok" || fail "the book differs"
cmp -s "$build_dir/default-book/quarvelin.bin" "$root/share/games/quarvelin/quarvelin.bin" \
    || fail "the Polyglot book differs"

# From a directory with no book, the installed engine reads the installed one.
positions=$(cd "$elsewhere" && echo quit | "$root/games/quarvelin" text H1 \
    | grep -oE 'Bibliotheque \.\.\. [0-9]+ positions')
[ -n "$positions" ] || fail "the installed engine found no book"
echo "installed engine: $positions"
# Given the installed Polyglot book, the engine opens it.
entries=$(cd "$elsewhere" && echo quit \
    | "$root/games/quarvelin" text H1 "B$root/share/games/quarvelin/quarvelin.bin" \
    | grep -oE 'livre Polyglot, [0-9]+ entrees')
[ -n "$entries" ] || fail "the installed engine did not open the installed Polyglot book"
echo "installed engine with B: $entries"

if command -v man >/dev/null; then
    man -l "$root/share/man/man6/quarvelin.6" 2>/dev/null | grep -q 'QUARVELIN(6)' \
        || fail "the manual page does not render"
fi

make -s -C "$source_dir" uninstall DESTDIR="$scratch" PREFIX=/usr/local || fail "make uninstall"
left=$(find "$scratch" -mindepth 1)
[ -z "$left" ] || fail "uninstall left: $left"
echo "install and uninstall: every file placed and removed"
