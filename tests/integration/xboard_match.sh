#!/usr/bin/env bash
# Two games at 10 s + 0.1 s under the real interface, in match mode without a display, against
# another engine. Passes when xboard exits 0 and both games end with a real result (mate, a draw
# by rule, or a resignation), none by time, forfeit, false claim, illegal move or lost engine.
# Usage: xboard_match.sh ENGINE_BINARY [FEN]: with a FEN, one game from that position instead.
#        xboard_match.sh ENGINE_BINARY --pgn-book BUILDER GAMES.pgn: one game with the engine as
#        White and, in its folder, a book that BUILDER makes from GAMES.pgn; the engine's first
#        move must then come from that book (its book line and the saved game show it).
#        xboard_match.sh ENGINE_BINARY --polyglot-book BUILDER GAMES.pgn: the same with a
#        Polyglot book.bin made by BUILDER and given to the engine as B<file>.
#        xboard_match.sh ENGINE_BINARY --uci: the two games with the engine in UCI mode, through
#        the interface's UCI adapter (polyglot).
# The interface allows two cores: in xboard mode the engine must receive "cores 2" and search on
# two threads.
# Exit 77 (skipped) when the tools are not installed.
set -u
export PATH="$PATH:/usr/games"  # where Debian puts the interface, its UCI adapter and engines
engine=$1
fen=${2:-}
builder=
games_file=
first_engine=(-fcp "$engine H32")
uci=
if [ "$fen" = "--uci" ]; then
    fen=
    uci=1
    first_engine=(-fUCI -fcp "$engine uci H32")
    command -v polyglot >/dev/null || { echo "SKIPPED: polyglot is missing"; exit 77; }
fi
book_name=bibli.bok
if [ "$fen" = "--pgn-book" ] || [ "$fen" = "--polyglot-book" ]; then
    [ "$fen" = "--polyglot-book" ] && book_name=book.bin
    fen=
    builder=$(realpath "$3")
    games_file=$(realpath "$4")
fi
xboard=$(command -v xboard || echo /usr/games/xboard)
opponent=/usr/games/fairymax
if [ ! -x "$xboard" ] || [ ! -x "$opponent" ] || ! command -v xvfb-run >/dev/null; then
    echo "SKIPPED: xboard, xvfb-run or fairymax is missing (.ci/run installs them)"
    exit 77
fi

work=$(mktemp -d /tmp/quarvelin_match.XXXXXX)
export HOME=$work  # xboard keeps its settings file there, not in the user's home
cd "$work" || exit 1
# The packaged opponent sometimes crashes on the "computer" command, which it does not know:
# that one line is kept from it.
cat >"$work/opponent.sh" <<SCRIPT
#!/bin/sh
trap '' INT
grep --line-buffered -v '^computer\$' | $opponent
SCRIPT
chmod +x "$work/opponent.sh"
games=2
start=()
if [ -n "$builder" ]; then
    games=1
    "$builder" -o "$work/$book_name" "$games_file" || { echo "FAILED: no book built"; exit 1; }
    [ "$book_name" = book.bin ] && first_engine=(-fcp "$engine H32 B$work/book.bin")
fi
if [ -n "$fen" ]; then
    games=1
    echo "$fen" >"$work/start.fen"
    # xboard would adjudicate the material itself; the engines must end the game by the rules.
    start=(-lpf "$work/start.fen" -materialDraws false)
fi
timeout 115 xvfb-run -a "$xboard" -noGUI -xexit -mg $games "${start[@]}" -tc 0:10 -inc 0.1 \
    "${first_engine[@]}" -fd "$work" -scp "$work/opponent.sh" -sd "$work" \
    -autoCallFlag true -testClaims true -saveGameFile "$work/games.pgn" -smpCores 2 \
    -debug -nameOfDebugFile "$work/debug.txt" >"$work/xboard.out" 2>&1
status=$?

results=$(grep -E '^\[Result ' games.pgn 2>/dev/null | grep -cE '"(1-0|0-1|1/2-1/2)"')
endings=$(grep -oE '\{[^}]*\} *(1-0|0-1|1/2-1/2|\*) *$' games.pgn 2>/dev/null)
echo "xboard exit status: $status; finished games: $results; work folder: $work"
echo "$endings"
bad=$(echo "$endings" | grep -icE 'time|forfeit|false|illegal|error|disconnect|crash|exit|abort')
if [ "$status" -ne 0 ] || [ "$results" -ne "$games" ] || [ "$bad" -ne 0 ]; then
    echo "FAILED: see $work/debug.txt and $work/games.pgn"
    exit 1
fi
if [ -z "$uci" ] && ! { grep -q '>first : cores 2$' debug.txt &&
    grep -q '<first : # 2 search threads' debug.txt; }; then
    echo "FAILED: the engine did not take two threads from \"cores 2\"; see $work/debug.txt"
    exit 1
fi
if [ -n "$builder" ]; then
    # Every game of the file opens 1. b3, so the book offers that move alone.
    first=$(grep -v '^\[' games.pgn | tr '\n' ' ' | grep -oE '1\. *[^ ]+' | head -1)
    echo "first move: $first"
    if ! grep -q '0 0 0 0 ( b3 {100} )' debug.txt || [ "$first" != "1. b3" ]; then
        echo "FAILED: the first move did not come from the book; see $work/debug.txt"
        exit 1
    fi
fi
rm -rf "$work"
