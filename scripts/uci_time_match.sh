#!/usr/bin/env bash
# Games on a short clock with the engine in UCI mode, refereed by a real interface: xboard in
# match mode without a display checks every move, flags a fallen clock itself (autoCallFlag) and
# writes the games; the engine speaks to it through the polyglot UCI adapter, so the adapter's
# lag is part of what its clock must survive. The opponent is Stockfish at a low Skill Level
# (through the same adapter), which keeps its own clock and so plays the games out to the end.
# Usage: uci_time_match.sh ENGINE_BINARY [GAMES] [MINUTES:SECONDS] [INCREMENT_SECONDS] [SKILL]
#        (defaults: 100 games at 0:01, no increment, Skill Level 1). Prints one line per game and
#        a summary; exits 1 when the engine lost a game on time or by forfeit, 77 when a tool is
#        missing.
# Example: scripts/uci_time_match.sh build/quarvelin 100 0:02 0.02
set -u
export PATH="$PATH:/usr/games"
engine=$(realpath "$1")
games=${2:-100}
control=${3:-0:01}
increment=${4:-0}
skill=${5:-1}
xboard=$(command -v xboard || true)
for tool in "$xboard" /usr/games/stockfish "$(command -v polyglot)" "$(command -v xvfb-run)"; do
    if [ -z "$tool" ] || [ ! -x "$tool" ]; then
        echo "SKIPPED: xboard, polyglot, stockfish or xvfb-run is missing"
        exit 77
    fi
done

work=$(mktemp -d /tmp/quarvelin_clock.XXXXXX)
export HOME=$work
cd "$work" || exit 1
# The opponent takes its Skill Level before anything the adapter says.
cat >"$work/opponent.sh" <<SCRIPT
#!/bin/sh
{ echo "setoption name Skill Level value $skill"; cat; } | /usr/games/stockfish
SCRIPT
chmod +x "$work/opponent.sh"

# Generous: a game on this clock lasts seconds, but starting engines and a loaded machine add up.
limit=$((games * 30 + 60))
timeout "$limit" xvfb-run -a "$xboard" -noGUI -xexit -mg "$games" -matchPause 500 \
    -tc "$control" -inc "$increment" \
    -fUCI -fcp "$engine uci H32" -fd "$work" -sUCI -scp "$work/opponent.sh" -sd "$work" \
    -autoCallFlag true -testClaims true -saveGameFile "$work/games.pgn" \
    -debug -nameOfDebugFile "$work/debug.txt" \
    >"$work/xboard.out" 2>&1
status=$?

# One line per game: the engine's colour, the result and the interface's reason.
python3 - "$work/games.pgn" <<'PYTHON'
import re, sys
text = open(sys.argv[1], errors="replace").read()
games = [g for g in re.split(r"\n(?=\[Event )", text) if g.strip()]
played = lost_on_time = forfeits = score = 0
for g in games:
    white = re.search(r'\[White "([^"]*)"\]', g)
    result = re.search(r'\[Result "([^"]*)"\]', g)
    ending = re.findall(r"\{([^}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$", g.strip())
    if not white or not result:
        continue
    played += 1
    ours = "White" if "quarvelin" in white.group(1).lower() else "Black"
    reason = ending[-1][0] if ending else "?"
    res = result.group(1)
    won = (res == "1-0") == (ours == "White") and res in ("1-0", "0-1")
    lost = res in ("1-0", "0-1") and not won
    score += 2 if won else 1 if res == "1/2-1/2" else 0
    timeish = re.search(r"time|flag", reason, re.I) is not None
    if lost and timeish:
        lost_on_time += 1
    if lost and re.search(r"forfeit|illegal|false|disconnect|crash|exit|error", reason, re.I):
        forfeits += 1
    print(f"game {played}: engine {ours}, {res}, {reason}")
print(f"SUMMARY games {played} score {score / 2:g} lost_on_time {lost_on_time} forfeits {forfeits}")
sys.exit(0 if lost_on_time == 0 and forfeits == 0 else 1)
PYTHON
verdict=$?
echo "xboard exit status: $status; work folder: $work"
exit $verdict
