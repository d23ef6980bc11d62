#!/usr/bin/env bash
# Prepares the folder `make run` plays in (its working directory, which `make clean` leaves
# alone): the default book goes in as bibli.bok only when there is none, or when the one there is
# still the copy this script made last time. A book the user put there or saved with the editor
# is never replaced. Usage: play-dir.sh DEFAULT_BOOK PLAY_DIR
set -eu
book=$1
dir=$2
mkdir -p "$dir"
copy=$dir/.default-bibli.bok  # what this script last put in place
if [ ! -e "$dir/bibli.bok" ] && [ ! -L "$dir/bibli.bok" ] ||
    { [ -f "$copy" ] && cmp -s "$copy" "$dir/bibli.bok"; }; then
    cmp -s "$book" "$dir/bibli.bok" && exit 0
    # Copied under a temporary name and renamed, so that bibli.bok is never seen half written.
    cp "$book" "$dir/.bibli.bok.new"
    cp "$book" "$copy"
    mv -f "$dir/.bibli.bok.new" "$dir/bibli.bok"
fi
