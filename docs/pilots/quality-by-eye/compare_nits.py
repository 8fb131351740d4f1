#!/usr/bin/env python3
"""Scores at intensity target 80 against 255 (the C API's default) for the same encodes.
   compare_nits.py "sweep255 files" "sweep80 files" """
import csv
import statistics
import sys

def load(paths):
    d = {}
    for p in paths.split():
        for r in csv.DictReader(open(p)):
            d[(r["photo"], r["format"], int(r["q"]))] = (float(r["max"]), float(r["p3"]), int(r["bytes"]))
    return d

a, b = load(sys.argv[1]), load(sys.argv[2])
keys = [k for k in a if k in b]
assert all(a[k][2] == b[k][2] for k in keys), "different encodes"
print("| format | q range | 3-norm 80/255 median [p10–p90] | max-norm 80/255 median [p10–p90] |")
print("|---|---|---|---|")
for fmt in ["jpeg", "webp", "avif", "jxl"]:
    for lo, hi in [(30, 79), (80, 89), (90, 100)]:
        ks = [k for k in keys if k[1] == fmt and lo <= k[2] <= hi]
        r3 = sorted(b[k][1] / a[k][1] for k in ks)
        rm = sorted(b[k][0] / a[k][0] for k in ks)
        pct = lambda v, p: v[int(p * (len(v) - 1))]
        print(f"| {fmt} | {lo}–{hi} | {statistics.median(r3):.2f} [{pct(r3, .1):.2f}–{pct(r3, .9):.2f}] | "
              f"{statistics.median(rm):.2f} [{pct(rm, .1):.2f}–{pct(rm, .9):.2f}] |")
