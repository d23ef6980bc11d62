#!/usr/bin/env python3
"""Games on a short clock between the engine in UCI mode and Stockfish at a low Skill Level, under
a referee of its own: every move is checked against the legal moves that a separate Stockfish
process lists ("go perft 1"), the game ends by mate, stalemate, the fifty-move rule, threefold
repetition or bare kings as that process's FEN shows them, and each engine's clock runs from the
moment "go" is written until "bestmove" is read, so that a clock that falls is a loss on time.

Usage: uci_referee.py ENGINE [GAMES] [BASE_MS] [INCREMENT_MS] [SKILL]
                      [--engine-option NAME=VALUE]... [--opponent-option NAME=VALUE]...
                      [--seed N]
       (defaults: 100 games, 1000 ms, no increment, Skill Level 3). Colours alternate; each game
       opens with four random legal plies, played off the clock. Options given for the opponent
       replace its Skill Level (e.g. UCI_LimitStrength=true UCI_Elo=1500). Prints one line per
       game and a summary with the score, the draws and the Elo difference it implies with its
       standard error; exits 1 when the engine lost on time, by an illegal move or by no move, 77
       when Stockfish is missing.
Examples: scripts/uci_referee.py build/quarvelin 100 2000 20
          scripts/uci_referee.py build/quarvelin 8 60000 600 --engine-option "Skill Level=10" \
              --opponent-option UCI_LimitStrength=true --opponent-option UCI_Elo=1500
"""
import argparse
import math
import os
import random
import subprocess
import sys
import time

STOCKFISH = "/usr/games/stockfish"
MAX_PLIES = 500  # a game this long is scored a draw


class Uci:
    def __init__(self, command, options=()):
        self.p = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.send("uci")
        self.until("uciok")
        for name, value in options:
            self.send(f"setoption name {name} value {value}")
        self.ready()

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def until(self, word):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if line == "":
                raise EOFError(f"engine ended while the referee waited for {word}")
            lines.append(line.rstrip("\n"))
            if line.split()[:1] == [word] or line.startswith(word):
                return lines

    def ready(self):
        self.send("isready")
        self.until("readyok")

    def close(self):
        try:
            self.send("quit")
            self.p.wait(timeout=5)
        except Exception:
            self.p.kill()


class Judge:
    """The rules, from a Stockfish process that plays no part in the game."""

    def __init__(self):
        self.sf = Uci([STOCKFISH])

    def state(self, moves):
        self.sf.send("position startpos moves " + " ".join(moves) if moves else "position startpos")
        self.sf.send("go perft 1")
        legal = [l.split(":")[0] for l in self.sf.until("Nodes searched") if ": " in l
                 and not l.startswith("Nodes")]
        self.sf.send("d")
        fen, checkers = "", ""
        for line in self.sf.until("Checkers"):
            if line.startswith("Fen: "):
                fen = line[5:]
            if line.startswith("Checkers:"):
                checkers = line[9:].strip()
        return legal, fen, checkers != ""


def bare(fen):
    pieces = [c for c in fen.split()[0] if c.isalpha() and c not in "Kk"]
    return not pieces or (len(pieces) == 1 and pieces[0] in "NBnb")


def play(engine, opponent, judge, engine_white, base, inc, rng, opening_plies=4):
    for e in (engine, opponent):
        e.send("ucinewgame")
        e.ready()
    moves, seen = [], {}
    while len(moves) < opening_plies:  # the opening, off the clock
        legal, _, _ = judge.state(moves)
        moves.append(rng.choice(legal))
    clock = {True: base, False: base}  # by "white"
    while True:
        legal, fen, check = judge.state(moves)
        white = fen.split()[1] == "w"
        key = " ".join(fen.split()[:4])
        seen[key] = seen.get(key, 0) + 1
        if not legal:
            return ("0-1" if white else "1-0", "mate") if check else ("1/2-1/2", "stalemate")
        if int(fen.split()[4]) >= 100:
            return "1/2-1/2", "fifty moves"
        if seen[key] >= 3:
            return "1/2-1/2", "repetition"
        if bare(fen):
            return "1/2-1/2", "insufficient material"
        if len(moves) >= MAX_PLIES:
            return "1/2-1/2", "adjudicated at the ply limit"
        mover = engine if white == engine_white else opponent
        mover.send("position startpos moves " + " ".join(moves))
        go = f"go wtime {clock[True]} btime {clock[False]} winc {inc} binc {inc}"
        start = time.monotonic()
        mover.send(go)
        reply = mover.until("bestmove")[-1].split()
        spent = int((time.monotonic() - start) * 1000)
        loser = "0-1" if white else "1-0"
        name = "engine" if mover is engine else "opponent"
        clock[white] -= spent
        if clock[white] < 0:
            return loser, f"{name} lost on time ({-clock[white]} ms over, ply {len(moves) + 1})"
        move = reply[1] if len(reply) > 1 else "(none)"
        if move not in legal:
            return loser, f"{name} played an illegal move {move}"
        clock[white] += inc
        moves.append(move)


def option_pair(text):
    name, sep, value = text.partition("=")
    if not sep or not name:
        raise argparse.ArgumentTypeError(f"NAME=VALUE expected, not {text}")
    return name, value


def elo_estimate(points):
    """The Elo difference a list of game scores (1, 0.5, 0) implies, with its standard error
    (from the spread of the scores, by the slope of the logistic curve); None when the score is
    0 or 100 % (no finite estimate)."""
    n = len(points)
    p = sum(points) / n
    if p <= 0 or p >= 1:
        return None
    sd = math.sqrt(sum((x - p) ** 2 for x in points) / n)
    elo = -400 * math.log10(1 / p - 1)
    slope = 400 / math.log(10) / (p * (1 - p))  # d Elo / d p
    return elo, slope * sd / math.sqrt(n)


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("engine")
    parser.add_argument("games", nargs="?", type=int, default=100)
    parser.add_argument("base", nargs="?", type=int, default=1000)
    parser.add_argument("inc", nargs="?", type=int, default=0)
    parser.add_argument("skill", nargs="?", type=int, default=3)
    parser.add_argument("--engine-option", type=option_pair, action="append", default=[])
    parser.add_argument("--opponent-option", type=option_pair, action="append", default=[])
    parser.add_argument("--seed", type=int, default=2026)
    args = parser.parse_args()
    if not os.access(STOCKFISH, os.X_OK):
        print("SKIPPED: stockfish is missing")
        return 77
    engine_path = os.path.realpath(args.engine)
    games, base, inc, skill = args.games, args.base, args.inc, args.skill
    rng = random.Random(args.seed)
    engine = Uci([engine_path, "uci", "H32"], args.engine_option)
    opponent_options = args.opponent_option or [("Skill Level", skill)]
    opponent = Uci([STOCKFISH], opponent_options + [("Hash", 16)])
    judge = Judge()
    score, time_losses, forfeits, opponent_time_losses = 0.0, 0, 0, 0
    points = []
    for g in range(games):
        engine_white = g % 2 == 0
        result, reason = play(engine, opponent, judge, engine_white, base, inc, rng)
        won = result == ("1-0" if engine_white else "0-1")
        points.append(1 if won else 0.5 if result == "1/2-1/2" else 0)
        score += points[-1]
        if "engine lost on time" in reason:
            time_losses += 1
        elif reason.startswith("engine played"):
            forfeits += 1
        if "opponent lost on time" in reason:
            opponent_time_losses += 1
        colour = "White" if engine_white else "Black"
        print(f"game {g + 1}: engine {colour}, {result}, {reason}", flush=True)
    for e in (engine, opponent, judge.sf):
        e.close()
    setting = ", ".join(f"{n} {v}" for n, v in opponent_options)
    own = ", ".join(f"{n} {v}" for n, v in args.engine_option) or "default options"
    estimate = elo_estimate(points)
    elo = (f"Elo difference {estimate[0]:+.0f} +/- {estimate[1]:.0f}" if estimate
           else "Elo difference not finite")
    print(f"SUMMARY games {games} at {base} ms + {inc} ms, engine ({own}) against {setting}: "
          f"score {score:g} ({points.count(0.5)} draws), {elo}, "
          f"engine lost on time {time_losses}, by illegal or no move {forfeits}, "
          f"opponent lost on time {opponent_time_losses}")
    return 0 if time_losses == 0 and forfeits == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
