#!/usr/bin/env python3
"""Writes a fixed set of varied, playable openings for engine matches, one line of UCI moves each.

Each ply is drawn from the engine's best few moves at a shallow depth (MultiPV), so the lines
look like chess rather than random moves, and a line is kept only when the position at its end
is still roughly level and new to the set.

    python3 tools/referee/make_openings.py ENGINE OUTPUT [--count 500] [--plies 8] [--seed 2026] [--depth 8]
"""
import argparse
import random
import subprocess


class Engine:
    def __init__(self, command):
        self.p = subprocess.Popen([command], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, prefix):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("engine quit")
            lines.append(line.strip())
            if line.startswith(prefix):
                return lines

    def candidates(self, moves, depth):
        """The top lines at the given depth: {move: score in centipawns, side to move's view}."""
        self.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        self.send(f"go depth {depth}")
        found = {}
        for line in self.wait("bestmove"):
            t = line.split()
            if t[:1] != ["info"] or "multipv" not in t or "pv" not in t or "score" not in t:
                continue
            if int(t[t.index("depth") + 1]) != depth:
                continue
            kind, value = t[t.index("score") + 1], int(t[t.index("score") + 2])
            score = value if kind == "cp" else (10000 if value > 0 else -10000)
            found[t[t.index("pv") + 1]] = score
        return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("engine")
    ap.add_argument("output")
    ap.add_argument("--count", type=int, default=500)
    ap.add_argument("--plies", type=int, default=8)
    ap.add_argument("--seed", type=int, default=2026)
    ap.add_argument("--depth", type=int, default=8)
    ap.add_argument("--width", type=int, default=4, help="moves to choose from at each ply")
    ap.add_argument("--spread", type=int, default=50, help="how far below the best a move may score")
    ap.add_argument("--level", type=int, default=60, help="largest score at the end, centipawns")
    args = ap.parse_args()

    rng = random.Random(args.seed)
    engine = Engine(args.engine)
    engine.send(f"setoption name MultiPV value {args.width}")
    engine.send("setoption name OwnBook value false")
    lines, seen = [], set()
    while len(lines) < args.count:
        moves = []
        for _ in range(args.plies):
            best = engine.candidates(moves, args.depth)
            # Only moves close to the best: sound enough to start a game from.
            top = max(best.values(), default=None)
            choices = sorted(m for m, s in best.items() if top is not None and s >= top - args.spread)
            if not choices:
                break
            moves.append(rng.choice(choices))
        if len(moves) < args.plies or tuple(moves) in seen:
            continue
        end = engine.candidates(moves, args.depth)
        if end and abs(max(end.values())) <= args.level:
            seen.add(tuple(moves))
            lines.append(" ".join(moves))
    engine.send("quit")
    with open(args.output, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
