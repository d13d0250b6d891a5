#!/usr/bin/env python3
"""Makes the small data files the end-to-end tests read (tests/data/).

Run from the repository root; the output is fixed by the seeds below.
"""
import random


def write_rows(path, rows):
    with open(path, "w") as f:
        for row in rows:
            f.write(" ".join(str(v) for v in row) + "\n")


def main():
    rng = random.Random(7)
    n = 400
    # Three binary variables, across layout: 1 copies 0 one step later,
    # 2 is independent.
    v0 = [rng.randrange(2) for _ in range(n)]
    v1 = [0] + v0[:-1]
    v2 = [rng.randrange(2) for _ in range(n)]
    write_rows("tests/data/three_binary.txt", [v0, v1, v2])
    # Two variables only three symbols long.
    write_rows("tests/data/short.txt", [[0, 1, 1], [1, 0, 1]])
    # Continuous values for quantization, column layout, two columns.
    with open("tests/data/two_columns.txt", "w") as f:
        for _ in range(300):
            a = rng.random()
            f.write("%.3f %.3f\n" % (a, rng.random()))


if __name__ == "__main__":
    main()
