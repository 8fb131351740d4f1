#!/usr/bin/env python3
"""Pilot 33: analysis of sweep CSVs (plain Python, no numpy).

  analyze.py data/sweep_a.csv data/sweep_b.csv > data/analysis.txt

Tables: score vs quality (median over photos), monotonicity, per-threshold choices by a simulated
bisection and by an exhaustive scan, bytes against q88, q100 and the lowest all-pass fixed quality.
"""
import csv
import math
import statistics
import sys
from collections import defaultdict

rows = []
for path in sys.argv[1:]:
    with open(path) as f:
        for r in csv.DictReader(f):
            rows.append(r)

data = defaultdict(dict)  # (photo, fmt) -> q -> dict
for r in rows:
    data[(r["photo"], r["format"])][int(r["q"])] = {
        "bytes": int(r["bytes"]),
        "max": float(r["max"]),
        "p3": float(r["p3"]),
        "enc": float(r["enc_s"]),
        "ba": float(r["ba_s"]),
    }
photos = sorted({p for p, _ in data})
formats = [f for f in ["jpeg", "webp", "avif", "jxl"] if any((p, f) in data for p in photos)]
grid = sorted({q for k in data for q in data[k]})


def complete(fmt):
    return [p for p in photos if (p, fmt) in data and len(data[(p, fmt)]) == len(grid)]


def med(xs):
    return statistics.median(xs) if xs else float("nan")


print(f"photos ({len(photos)}): {', '.join(photos)}")
print(f"quality grid ({len(grid)}): {grid[0]}..{grid[-1]}")
print()

# --- 1. score vs quality ---------------------------------------------------------------------
show = [q for q in [30, 40, 50, 60, 70, 76, 80, 84, 86, 88, 89, 90, 92, 94, 96, 98, 100] if q in grid]
for norm in ["max", "p3"]:
    print(f"## median {norm} over photos (min..max in brackets at selected q)")
    print("| q | " + " | ".join(formats) + " |")
    print("|---|" + "---|" * len(formats))
    for q in show:
        cells = []
        for fmt in formats:
            vals = [data[(p, fmt)][q][norm] for p in complete(fmt)]
            cells.append(f"{med(vals):.2f} [{min(vals):.2f}–{max(vals):.2f}]" if vals else "")
        print(f"| {q} | " + " | ".join(cells) + " |")
    print()

print("## median bytes over photos (KB = 1024 B)")
print("| q | " + " | ".join(formats) + " |")
print("|---|" + "---|" * len(formats))
for q in show:
    cells = []
    for fmt in formats:
        vals = [data[(p, fmt)][q]["bytes"] / 1024 for p in complete(fmt)]
        cells.append(f"{med(vals):.0f}" if vals else "")
    print(f"| {q} | " + " | ".join(cells) + " |")
print()

# --- 2. monotonicity -------------------------------------------------------------------------
print("## monotonicity: steps up the grid where the score gets WORSE (per photo, adjacent grid qualities)")
print("| format | norm | worse steps / all steps | worst rise | worst rise at | 89→90 median change |")
print("|---|---|---|---|---|---|")
for fmt in formats:
    for norm in ["max", "p3"]:
        bad = 0
        total = 0
        worst = (0, None)
        jump = []
        for p in complete(fmt):
            d = data[(p, fmt)]
            for a, b in zip(grid, grid[1:]):
                total += 1
                rise = d[b][norm] - d[a][norm]
                if rise > 1e-4:
                    bad += 1
                    if rise > worst[0]:
                        worst = (rise, f"{p} {a}→{b}")
            if 89 in d and 90 in d:
                jump.append(d[90][norm] - d[89][norm])
        print(f"| {fmt} | {norm} | {bad}/{total} | {worst[0]:.3f} | {worst[1]} | {med(jump):+.3f} |")
print()
print("## bytes at 89 vs 90 (chroma subsampling stops at 90 in jpegsave and heifsave)")
for fmt in formats:
    r = [data[(p, fmt)][90]["bytes"] / data[(p, fmt)][89]["bytes"] for p in complete(fmt)]
    print(f"- {fmt}: bytes(q90)/bytes(q89) median {med(r):.2f} (range {min(r):.2f}–{max(r):.2f})")
print()


# --- 3. thresholds ----------------------------------------------------------------------------
def passes(d, q, norm, t):
    return d[q][norm] <= t


def bisect(d, norm, t, ceiling=100, floor=30, check_ceiling_last=True):
    """Bisection over the grid in [floor, ceiling]. Returns (q chosen, evals, reached).

    hi starts at the ceiling, assumed to pass and measured only if the search ends there;
    lo starts below the floor. The kept candidate is always one that was measured passing, or
    the ceiling when even it fails."""
    cands = [q for q in grid if floor <= q <= ceiling]
    lo, hi = -1, len(cands) - 1
    evals = 0
    measured = {}
    if not check_ceiling_last:
        evals += 1
        measured[hi] = passes(d, cands[hi], norm, t)
        if not measured[hi]:
            return cands[hi], evals, False
    while hi - lo > 1:
        mid = (lo + hi) // 2
        evals += 1
        ok = passes(d, cands[mid], norm, t)
        measured[mid] = ok
        if ok:
            hi = mid
        else:
            lo = mid
    if hi not in measured:
        evals += 1
        measured[hi] = passes(d, cands[hi], norm, t)
    return cands[hi], evals, measured[hi]


def lowest_pass(d, norm, t, ceiling=100, floor=30):
    ok = [q for q in grid if floor <= q <= ceiling and passes(d, q, norm, t)]
    return (min(ok), True) if ok else (ceiling, False)


import os
THRESHOLDS = {"max": [1.0, 1.5, 2.0, 2.5, 3.0], "p3": [0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2]}
if os.environ.get("MAXT"):
    THRESHOLDS["max"] = [float(x) for x in os.environ["MAXT"].split(",")]
if os.environ.get("P3T"):
    THRESHOLDS["p3"] = [float(x) for x in os.environ["P3T"].split(",")]
print("## per threshold: bisection choice, bytes vs fixed qualities")
print("auto = bisection on the grid, ceiling 100, floor 30. q* = the lowest single grid quality at which")
print("every photo meets the threshold ('-' if none does at 100). ratio = auto bytes / q* bytes.")
print("misses = photos whose bisection lands above the exhaustive lowest passing q (non-monotone).")
print()
print("| format | norm ≤ T | auto q median [range] | evals mean | unreachable | misses | auto KB | q* | q* KB | auto/q* | q88 KB (pass) | q100 KB |")
print("|---|---|---|---|---|---|---|---|---|---|---|---|")
summary = {}
for fmt in formats:
    ps = complete(fmt)
    for norm, ts in THRESHOLDS.items():
        for t in ts:
            chosen, evals, unreach, misses = [], [], 0, 0
            auto_bytes = 0
            for p in ps:
                d = data[(p, fmt)]
                q, n, ok = bisect(d, norm, t)
                lq, lok = lowest_pass(d, norm, t)
                chosen.append(q)
                evals.append(n)
                unreach += 0 if ok else 1
                if ok and lq < q:
                    misses += 1
                auto_bytes += d[q]["bytes"]
            qstar = None
            for q in grid:
                if all(passes(data[(p, fmt)], q, norm, t) for p in ps):
                    qstar = q
                    break
            qs_bytes = sum(data[(p, fmt)][qstar]["bytes"] for p in ps) if qstar else None
            b88 = sum(data[(p, fmt)][88]["bytes"] for p in ps)
            pass88 = sum(passes(data[(p, fmt)], 88, norm, t) for p in ps)
            b100 = sum(data[(p, fmt)][100]["bytes"] for p in ps)
            ratio = f"{auto_bytes / qs_bytes:.2f}" if qs_bytes else "-"
            summary[(fmt, norm, t)] = (auto_bytes, qs_bytes, b88, b100, chosen)
            print(
                f"| {fmt} | {norm} ≤ {t} | {med(chosen):.0f} [{min(chosen)}–{max(chosen)}] | {statistics.mean(evals):.1f} | "
                f"{unreach} | {misses} | {auto_bytes / 1024:.0f} | {qstar if qstar else '-'} | "
                f"{qs_bytes / 1024 if qs_bytes else float('nan'):.0f} | {ratio} | {b88 / 1024:.0f} ({pass88}/{len(ps)}) | {b100 / 1024:.0f} |"
            )
print()

# --- 4. per photo choices at selected thresholds ---------------------------------------------------
SEL = [("max", 1.0), ("max", 2.0), ("p3", 0.8), ("p3", 1.1)]
if os.environ.get("SEL"):
    SEL = [(a, float(b)) for a, b in (x.split(":") for x in os.environ["SEL"].split(","))]
print("## chosen quality per photo (bisection)")
print("| photo | " + " | ".join(f"{f} {n}≤{t}" for f in formats for n, t in SEL) + " |")
print("|---|" + "---|" * (len(formats) * len(SEL)))
for p in photos:
    cells = []
    for f in formats:
        for n, t in SEL:
            if (p, f) not in data or len(data[(p, f)]) != len(grid):
                cells.append("")
                continue
            q, _, ok = bisect(data[(p, f)], n, t)
            cells.append(f"{q}{'' if ok else '!'}")
    print(f"| {p} | " + " | ".join(cells) + " |")
print()

# --- 5. JXL's own 'visually lossless' anchor ----------------------------------------------------
if "jxl" in formats:
    ps = complete("jxl")
    for q in [90, 80, 70]:
        if q in grid:
            d = 0.1 + (100 - q) * 0.09
            mx = [data[(p, "jxl")][q]["max"] for p in ps]
            p3 = [data[(p, "jxl")][q]["p3"] for p in ps]
            print(f"- JXL Q{q} (libvips maps to distance {d:.2f}): max-norm median {med(mx):.2f} [{min(mx):.2f}–{max(mx):.2f}], "
                  f"3-norm median {med(p3):.2f} [{min(p3):.2f}–{max(p3):.2f}]")
    print()

# --- 6. metric time ------------------------------------------------------------------------------
ba = [data[k][q]["ba"] for k in data for q in data[k]]
print(f"metric wall time in the sweep (shared, loaded machine): median {med(ba):.2f} s, n={len(ba)}")
