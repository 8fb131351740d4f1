#!/usr/bin/env python3
"""Would full-resolution chroma below q90 pay? analyze444.py standard.csv... -- sweep_444.csv

For each photo and 3-norm threshold: the fewest bytes among passing candidates with libvips's
automatic subsampling (4:2:0 below q90) against the same when 4:4:4 candidates at q60..88 are
added (the exhaustive best, not a search)."""
import csv
import sys
from collections import defaultdict

args = sys.argv[1:]
sep = args.index("--")
std_files, x_files = args[:sep], args[sep + 1:]
d = defaultdict(dict)
for path in std_files + x_files:
    for r in csv.DictReader(open(path)):
        d[(r["photo"], r["format"])][int(r["q"])] = (int(r["bytes"]), float(r["p3"]), float(r["max"]))
photos = sorted({p for p, f in d if f == "jpeg444"})
print("| format | 3-norm ≤ | auto-subsampling KB | with 4:4:4 below q90 KB | ratio | photos that switch |")
print("|---|---|---|---|---|---|")
for fmt in ["jpeg", "avif"]:
    for t in [0.7, 0.8, 0.9, 1.0]:
        a = b = 0
        switched = 0
        for p in photos:
            std = [(v[0], q) for q, v in d[(p, fmt)].items() if v[1] <= t]
            x = [(v[0], q) for q, v in d[(p, fmt + "444")].items() if v[1] <= t]
            best_std = min(std) if std else (d[(p, fmt)][100][0], 100)
            best_all = min(std + x) if (std + x) else best_std
            a += best_std[0]
            b += best_all[0]
            if best_all != best_std:
                switched += 1
        print(f"| {fmt} | {t} | {a / 1024:.0f} | {b / 1024:.0f} | {b / a:.2f} | {switched}/{len(photos)} |")
print()
print("per photo, jpeg: p3 and KB at q88 4:2:0, q88 4:4:4, q90 (4:4:4)")
for p in photos:
    s, x = d[(p, "jpeg")], d[(p, "jpeg444")]
    print(f"  {p:18s} 4:2:0 q88 {s[88][1]:.2f} {s[88][0] / 1024:.0f} KB | 4:4:4 q88 {x[88][1]:.2f} {x[88][0] / 1024:.0f} KB | "
          f"4:4:4 q80 {x[80][1]:.2f} {x[80][0] / 1024:.0f} KB | q90 {s[90][1]:.2f} {s[90][0] / 1024:.0f} KB")
