#!/usr/bin/env python3
"""A match of the engine on several search threads against the same engine on one, in UCI under
the referee of uci_referee.py (every move checked by a separate Stockfish process, each clock run
from "go" to "bestmove", so that an illegal move or a fallen flag loses the game). Both sides
play their openings from the default book (OwnBook on, its choices weighted at random), so the
games vary; colours alternate.

Usage: smp_match.py ENGINE [GAMES] [BASE_MS] [INCREMENT_MS] [THREADS] [HASH_MB]
       (defaults: 100 games, 10000 ms + 100 ms, 2 threads against 1, 64 MB each). Run it from
       a folder holding the book (bibli.bok), e.g. the build's default-book folder. Prints one
       line per game and a summary with the score of the threaded side and its Elo difference;
       exits 1 when either side lost by an illegal move, no move or on time, 77 when Stockfish is
       missing. Not part of the test suite: 100 games take about an hour at 10 s + 0.1 s.
Example: cd build/default-book && ../../scripts/smp_match.py ../quarvelin 100 5000 50 2
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import uci_referee  # noqa: E402


def elo(score, games):
    p = min(max(score / games, 1e-3), 1 - 1e-3)
    return -400 * math.log10(1 / p - 1)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    if not os.access(uci_referee.STOCKFISH, os.X_OK):
        print("SKIPPED: stockfish is missing")
        return 77
    path = os.path.realpath(sys.argv[1])
    games = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    base = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
    inc = int(sys.argv[4]) if len(sys.argv) > 4 else 100
    threads = int(sys.argv[5]) if len(sys.argv) > 5 else 2
    hash_mb = int(sys.argv[6]) if len(sys.argv) > 6 else 64
    common = [("Hash", hash_mb), ("OwnBook", "true")]
    many = uci_referee.Uci([path, "uci"], common + [("Threads", threads)])
    one = uci_referee.Uci([path, "uci"], common + [("Threads", 1)])
    judge = uci_referee.Judge()
    rng = random.Random(2026)
    score, faults, wins, losses = 0.0, 0, 0, 0
    for g in range(games):
        many_white = g % 2 == 0
        result, reason = uci_referee.play(many, one, judge, many_white, base, inc, rng, 0)
        won = result == ("1-0" if many_white else "0-1")
        draw = result == "1/2-1/2"
        score += 1 if won else 0.5 if draw else 0
        wins += won
        losses += not won and not draw
        faults += "on time" in reason or "illegal" in reason
        colour = "White" if many_white else "Black"
        print(f"game {g + 1}: {threads} threads {colour}, {result}, {reason}", flush=True)
    for e in (many, one, judge.sf):
        e.close()
    draws = games - wins - losses
    # The error of the score from the spread of the results (two standard deviations).
    mean = score / games
    var = (wins * (1 - mean) ** 2 + draws * (0.5 - mean) ** 2 + losses * mean**2) / games
    margin = 2 * math.sqrt(var / games)
    print(f"SUMMARY {games} games at {base} ms + {inc} ms, {threads} threads against 1: "
          f"+{wins} ={draws} -{losses}, score {100 * mean:.1f} % (+/- {100 * margin:.1f}), "
          f"Elo {elo(score, games):+.0f} ({elo(games * (mean - margin), games):+.0f} to "
          f"{elo(games * (mean + margin), games):+.0f}), illegal moves or time losses {faults}")
    return 0 if faults == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
