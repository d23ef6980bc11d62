#!/usr/bin/env bash
# Installs the built engine, or removes exactly what an install put in place.
#   install.sh install BUILD_DIR PREFIX [DESTDIR]
#   install.sh uninstall PREFIX [DESTDIR]
# Files: PREFIX/games/quarvelin and quarvelin-book, the default book in
# PREFIX/share/games/quarvelin (where the engine looks when its working directory has none) with
# the same book in the Polyglot format (quarvelin.bin, for other programs and for B<file>),
# the manual page quarvelin(6) and xboard's engine list entry
# PREFIX/share/games/plugins/xboard/quarvelin.eng. Every file written and every directory made
# is listed in PREFIX/share/games/quarvelin/install.manifest, which uninstall reads back.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)

action=${1:-}
if [ "$action" = install ]; then
    build=$(cd "${2:?build directory}" && pwd)
    prefix=${3:?prefix}
    destdir=${4:-}
elif [ "$action" = uninstall ]; then
    prefix=${2:?prefix}
    destdir=${3:-}
else
    echo "usage: $0 install BUILD_DIR PREFIX [DESTDIR] | uninstall PREFIX [DESTDIR]" >&2
    exit 2
fi
case "$prefix" in
    /*) ;;
    *) echo "PREFIX must be an absolute path: $prefix" >&2; exit 2 ;;
esac
root="$destdir$prefix"
data="$root/share/games/quarvelin"
manifest="$data/install.manifest"

# make_dir DIR: creates DIR and its missing parents, noting each one made.
made_dirs=()
make_dir() {
    local dir=$1 missing=()
    while [ ! -d "$dir" ]; do
        missing=("$dir" "${missing[@]}")
        dir=$(dirname "$dir")
    done
    for dir in "${missing[@]}"; do
        mkdir "$dir"
        made_dirs+=("$dir")
    done
}

# put MODE SOURCE TARGET: copies one file, noting it.
files=()
put() {
    make_dir "$(dirname "$3")"
    install -m "$1" "$2" "$3"
    files+=("$3")
}

if [ "$action" = install ]; then
    if [ -f "$manifest" ]; then
        echo "Quarvelin is already installed in $root: make uninstall first" >&2
        exit 1
    fi
    for f in quarvelin quarvelin-book default-book/bibli.bok default-book/quarvelin.bin; do
        [ -f "$build/$f" ] || { echo "$build/$f is missing: build first" >&2; exit 1; }
    done
    put 755 "$build/quarvelin" "$root/games/quarvelin"
    put 755 "$build/quarvelin-book" "$root/games/quarvelin-book"
    put 644 "$build/default-book/bibli.bok" "$data/bibli.bok"
    put 644 "$build/default-book/quarvelin.bin" "$data/quarvelin.bin"
    put 644 "$source_dir/man/quarvelin.6" "$root/share/man/man6/quarvelin.6"
    entry=$(mktemp)
    printf 'plugin spec 0.0\n%s\nchess\n' "$prefix/games/quarvelin" >"$entry"
    put 644 "$entry" "$root/share/games/plugins/xboard/quarvelin.eng"
    rm -f "$entry"
    {
        for f in "${files[@]}"; do echo "file ${f#"$destdir"}"; done
        for d in "${made_dirs[@]}"; do echo "dir ${d#"$destdir"}"; done
    } >"$manifest"
    echo "Installed in $root (xboard finds it through $prefix/share/games/plugins/xboard)"
    exit 0
fi

if [ ! -f "$manifest" ]; then
    echo "Nothing to uninstall: no $manifest" >&2
    exit 1
fi
dirs=()
while read -r kind path; do
    case "$kind" in
        file) rm -f "$destdir$path" ;;
        dir) dirs=("$destdir$path" "${dirs[@]}") ;;
    esac
done <"$manifest"
rm -f "$manifest"
# The directories the install made, deepest first, when nothing else has come into them.
for d in "${dirs[@]}"; do rmdir "$d" 2>/dev/null || true; done
echo "Removed from $root"
