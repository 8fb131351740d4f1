#!/usr/bin/env python3
"""Is choosing the quality on a reduced copy sound?  analyze_reduced.py reduced_*.csv"""
import csv
import statistics
import sys
from collections import defaultdict

rows = defaultdict(dict)
for path in sys.argv[1:]:
    for r in csv.DictReader(open(path)):
        rows[(r["photo"], r["format"])][int(r["q"])] = r
grid = sorted({q for k in rows for q in rows[k]})


def lowest(d, col, t):
    ok = [q for q in grid if float(d[q][col]) <= t]
    return min(ok) if ok else 100


print("| photo | format | size | T (3-norm) | q full | q @1920 | q @1280 | full-size 3-norm at q@1920 / q@1280 | KB full / @1920 / @1280 |")
print("|---|---|---|---|---|---|---|---|---|")
for (p, f), d in sorted(rows.items()):
    if len(d) != len(grid):
        continue
    any_r = d[grid[0]]
    for t in [0.6, 0.8]:
        qf, q19, q12 = lowest(d, "p3", t), lowest(d, "ep31920", t), lowest(d, "ep31280", t)
        kb = lambda q: int(d[q]["bytes"]) / 1024
        print(f"| {p} | {f} | {any_r['w']}×{any_r['h']} | {t} | {qf} | {q19} | {q12} | "
              f"{float(d[q19]['p3']):.2f} / {float(d[q12]['p3']):.2f} | {kb(qf):.0f} / {kb(q19):.0f} / {kb(q12):.0f} |")
print()
full = [float(r["ba_s"]) for d in rows.values() for r in d.values()]
e19 = [float(r["eba_s1920"]) for d in rows.values() for r in d.values()]
e12 = [float(r["eba_s1280"]) for d in rows.values() for r in d.values()]
print(f"metric wall (loaded machine) median: full {statistics.median(full):.2f} s, @1920 {statistics.median(e19):.2f} s, @1280 {statistics.median(e12):.2f} s")
