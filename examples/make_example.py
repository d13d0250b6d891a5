#!/usr/bin/env python3
"""Makes examples/sensors.txt: five sensors with a known causal structure.

Each line of the output is one variable (the across layout), 3000 values in
[0, 1). Quantized at 0.5 (-p 0.5) every variable is a fair coin:

  0  independent
  1  follows sensor 0 one step later (90 % of the time, else noise)
  2  follows sensor 1 two steps later (80 %), so sensor 0 three steps later
  3  independent
  4  the opposite of sensor 0 three steps later (85 %)

The generator is seeded, so the file is the same on every run.
"""
import random
import sys

LENGTH = 3000


def main():
    rng = random.Random(20261211)
    x = [[0.0] * LENGTH for _ in range(5)]
    for t in range(LENGTH):
        x[0][t] = rng.random()
        x[3][t] = rng.random()
        x[1][t] = x[0][t - 1] if t >= 1 and rng.random() < 0.9 else rng.random()
        x[2][t] = x[1][t - 2] if t >= 2 and rng.random() < 0.8 else rng.random()
        x[4][t] = (1.0 - x[0][t - 3]) if t >= 3 and rng.random() < 0.85 else rng.random()
    out = sys.argv[1] if len(sys.argv) > 1 else "examples/sensors.txt"
    with open(out, "w") as f:
        for row in x:
            f.write(" ".join("%.4f" % v for v in row) + "\n")


if __name__ == "__main__":
    main()
