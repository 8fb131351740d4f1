#!/usr/bin/env python3
"""Search strategies simulated on sweep data: evaluations per picture and bytes, against the
exhaustive lowest passing quality.   strategies.py norm threshold[,threshold..] sweep.csv...

bisect      plain bisection over the grid in [30, 100]; the ceiling is assumed to pass and
            measured only when the search ends on it
bisect-tol  the same, stopping when the bracket spans <= 4 quality steps (keeps hi)
interp      first try a per-format prior, then regula falsi on the measured bracket ends
            (bisection while an end is unmeasured), nudged one step inside the bracket
Candidates are the sweep's grid (q 30..80 step 2, 81..100 step 1)."""
import csv
import statistics
import sys
from collections import defaultdict

norm = sys.argv[1]
ts = [float(x) for x in sys.argv[2].split(",")]
data = defaultdict(dict)
for path in sys.argv[3:]:
    for r in csv.DictReader(open(path)):
        data[(r["photo"], r["format"])][int(r["q"])] = (int(r["bytes"]), float(r[norm]))
grid = sorted({q for k in data for q in data[k]})
import os
PRIOR = {"jpeg": 90, "webp": 92, "avif": 88, "jxl": 88}
if os.environ.get("PRIOR"):  # e.g. jpeg:92,webp:96
    PRIOR.update({a: int(b) for a, b in (x.split(":") for x in os.environ["PRIOR"].split(","))})


def run(d, t, strategy, fmt):
    cands = [q for q in grid if 30 <= q <= 100]
    lo, hi = -1, len(cands) - 1
    measured = {}

    def meas(i):
        measured[i] = d[cands[i]][1]
        return measured[i]

    if strategy.startswith("bisect"):
        tol = 4 if strategy == "bisect-tol" else 1
        while hi - lo > 1:
            if lo >= 0 and cands[hi] - cands[lo] <= tol:
                break
            mid = (lo + hi) // 2
            if meas(mid) <= t:
                hi = mid
            else:
                lo = mid
    else:
        i = min(range(len(cands)), key=lambda k: abs(cands[k] - PRIOR[fmt]))
        while hi - lo > 1:
            if meas(i) <= t:
                hi = i
            else:
                lo = i
            if hi - lo <= 1:
                break
            i = (lo + hi) // 2
            if lo in measured and hi in measured and measured[lo] > measured[hi]:
                ql, qh = cands[lo], cands[hi]
                q = ql + (measured[lo] - t) / (measured[lo] - measured[hi]) * (qh - ql)
                i = min(range(len(cands)), key=lambda k: abs(cands[k] - q))
            i = max(lo + 1, min(hi - 1, i))
    if hi not in measured:
        meas(hi)
    return cands[hi], len(measured), measured[hi] <= t


print(f"| format | {norm} ≤ | strategy | evals mean [max] | bytes vs exhaustive | photos above exhaustive q |")
print("|---|---|---|---|---|---|")
for fmt in ["jpeg", "webp", "avif", "jxl"]:
    photos = sorted(p for p, f in data if f == fmt and len(data[(p, f)]) == len(grid))
    if not photos:
        continue
    for t in ts:
        ex = 0
        exq = {}
        for p in photos:
            d = data[(p, fmt)]
            ok = [q for q in grid if d[q][1] <= t]
            exq[p] = min(ok) if ok else 100
            ex += d[exq[p]][0]
        for s in ["bisect", "bisect-tol", "interp"]:
            ev, b, above = [], 0, 0
            for p in photos:
                q, n, ok = run(data[(p, fmt)], t, s, fmt)
                ev.append(n)
                b += data[(p, fmt)][q][0]
                above += q > exq[p]
            print(f"| {fmt} | {t} | {s} | {statistics.mean(ev):.1f} [{max(ev)}] | {b / ex:.3f} | {above}/{len(photos)} |")
