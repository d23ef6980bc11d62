#!/usr/bin/env bash
# The folder `make run` plays in: it receives the default book when it has none, follows a newer
# default book while its copy is untouched, and never replaces a book the user changed or put
# there. Usage: play_dir_test.sh PLAY_DIR_SCRIPT
set -u
script=$1
scratch=$(mktemp -d /tmp/quarvelin_play.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
play=$scratch/play

printf 'first default' >"$scratch/default.bok"
bash "$script" "$scratch/default.bok" "$play" || fail "the script failed"
[ "$(cat "$play/bibli.bok")" = "first default" ] || fail "no default book in a new folder"

printf 'second default' >"$scratch/default.bok"
bash "$script" "$scratch/default.bok" "$play" || fail "the script failed"
[ "$(cat "$play/bibli.bok")" = "second default" ] || fail "an untouched copy was not refreshed"

printf 'the user book' >"$play/bibli.bok"
printf 'third default' >"$scratch/default.bok"
bash "$script" "$scratch/default.bok" "$play" || fail "the script failed"
[ "$(cat "$play/bibli.bok")" = "the user book" ] || fail "the user's book was replaced"

rm -rf "$play"
mkdir -p "$play"
printf 'brought by the user' >"$play/bibli.bok"
bash "$script" "$scratch/default.bok" "$play" || fail "the script failed"
[ "$(cat "$play/bibli.bok")" = "brought by the user" ] || fail "a book put there was replaced"
[ -z "$(find "$play" -name '.bibli.bok.new')" ] || fail "a temporary file was left"
echo "play folder: default book placed and refreshed, the user's books kept"
