#!/usr/bin/env python3
"""The engine's search replayed on tables from bench-eye-table, with the variants that could
make quality by eye cheaper: how many whole and sample judgements a picture, the bytes against
qstar (the lowest fixed quality every picture passes at), and the time against a q88 batch.

    floor.py WHOLE_S SAMPLE_S Q88_S TABLE...

WHOLE_S, SAMPLE_S: seconds of one whole and one sample judgement; Q88_S: a q88 batch's CPU
seconds a picture. A picture costs Q88_S + WHOLE_S x whole + SAMPLE_S x sample judgements.
The search below mirrors lowestWithin and lowestByEstimate in src/convert/engine/QualityByEye.cpp
(its C++ is the reference; a run with no variant reproduces a batch's counts and bytes)."""
import collections
import math
import sys

THRESHOLD = 0.6


def load(paths):
    tables = collections.defaultdict(dict)
    for path in paths:
        for line in open(path):
            name, q, size, whole, sample = line.split()
            tables[name][int(q)] = (int(size), float(whole), float(sample))
    return {n: t for n, t in tables.items() if len(t) == 23}


def scale(q):
    return max(1.0, 5000 / q if q < 50 else 200 - 2 * q)


def quality_at(s):
    return 5000 / s if s > 100 else (200 - s) / 2


def guess(probe, other, target):
    ls = lambda p: math.log(scale(p[0]))
    ld = lambda p: math.log(max(p[1], 1e-3))
    slope = 0.45
    if other and other[0] != probe[0]:
        fitted = (ld(other) - ld(probe)) / (ls(other) - ls(probe))
        if fitted > 0.1:
            slope = fitted
    return quality_at(math.exp(ls(probe) + (math.log(target) - ld(probe)) / slope))


def lowest_within(fail, passing, first, target, judge, early=None):
    failed = passed = None
    q, bisect = first, False
    while passing - fail > 1:
        before = passing - fail
        q = fail + before // 2 if bisect else min(max(q, fail + 1), passing - 1)
        d = judge(q)
        if d <= target:
            passing, passed = q, (q, d)
            if early is not None and d >= target - early:
                return passing  # variant: the step below is not tried
        else:
            fail, failed = q, (q, d)
        last_passed = passing == q
        latest = passed if last_passed else failed
        q = math.ceil(guess(latest, failed if last_passed else passed, target))
        bisect = failed and passed and 2 * (passing - fail) > before
    return passing


def choose(table, k=1.0, early=None, whole_check=True):
    count = collections.Counter()
    readings = {}

    def sample(q):
        if q not in readings:
            count["sample"] += 1
            readings[q] = table[q][2]
        return readings[q]

    def whole(q):
        count["whole"] += 1
        return table[q][1]

    if table[100][2] < 0:  # too small to sample: judged whole throughout
        return lowest_within(0, 101, 90, THRESHOLD, whole), count
    fail, target, first = 0, THRESHOLD * k, 90
    for checks in (1, 2, 3):
        q = min(100, lowest_within(fail, 101, min(max(first, fail + 1), 100), target, sample, early))
        if not whole_check:
            return q, count
        d = whole(q)
        if d <= THRESHOLD:
            return q, count
        fail, e = q, sample(q)
        if fail >= 100 or checks == 3:
            break
        target, first = THRESHOLD * e / d * k, fail + 1
    return lowest_within(fail, 101, fail + 1, THRESHOLD, whole), count


def main():
    whole_s, sample_s, q88_s = (float(x) for x in sys.argv[1:4])
    tables = load(sys.argv[4:])
    # A search that leaves the table (a choice below 78) is not replayed.
    outside = []
    for name, table in tables.items():
        try:
            for kw in ({}, {"k": 0.9, "whole_check": False}):
                choose(table, **kw)
        except KeyError:
            outside.append(name)
    tables = {n: t for n, t in tables.items() if n not in outside}
    if outside:
        print("left out (their search goes below 78):", " ".join(sorted(outside)))
    qstar = next(q for q in range(78, 101) if all(t[q][1] <= THRESHOLD for t in tables.values()))
    qstar_bytes = sum(t[qstar][0] for t in tables.values())
    print(f"{len(tables)} pictures, qstar {qstar}")
    print("| variant | whole | sample | × q88 | ÷ qstar | within | worst |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    variants = [("now", {})]
    variants += [(f"sample aims at {k}", {"k": k}) for k in (0.98, 0.96, 0.94)]
    variants += [(f"no step below, within {e}", {"early": e}) for e in (0.02, 0.06)]
    variants += [("sample aims at 0.94, no step below, within 0.06", {"k": 0.94, "early": 0.06})]
    variants += [(f"no whole judgement, aims at {k}", {"k": k, "whole_check": False})
                 for k in (1.0, 0.95, 0.9)]
    n = len(tables)
    for label, kw in variants:
        total = collections.Counter()
        size = within = 0
        worst = 0.0
        for table in tables.values():
            q, count = choose(table, **kw)
            total.update(count)
            size += table[q][0]
            within += table[q][1] <= THRESHOLD
            worst = max(worst, table[q][1])
        cost = q88_s + (whole_s * total["whole"] + sample_s * total["sample"]) / n
        print(f"| {label} | {total['whole'] / n:.2f} | {total['sample'] / n:.2f} | "
              f"{cost / q88_s:.1f} | {size / qstar_bytes:.3f} | {within}/{n} | {worst:.3f} |")


main()
