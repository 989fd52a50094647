"""Holds velmora's rainflow count to a reference written here from ASTM E1049-85, and its
Miner damage to one written from EN 1993-1-9's S-N curves.

The reference follows the standard's words: first the peaks and valleys of the history
(consecutive equal values are one point; a point between its neighbours in value is no
reversal; the first and last points are kept), then the three-point rule of section 5.4.4
with the starting point S, and the ranges left at the end as half cycles. Series: random
integers and reals, plateaus, jumps (a value repeated), equal peaks, a single reversal,
long monotone runs and histories that grow and shrink. Usage: rainflow_reference.py PROBE
"""
import random
import subprocess
import sys


def reversals(history):
    points = []
    for value in history:
        if points and value == points[-1]:
            continue  # equal consecutive values merge
        if len(points) >= 2 and (points[-1] - points[-2]) * (value - points[-1]) > 0:
            points[-1] = value  # the run goes on: the previous point was no reversal
        else:
            points.append(value)
    return points


def astm_rainflow(history):
    """Section 5.4.4, step by step; returns (range, cycles) in the order counted."""
    counted = []
    kept = []  # points read and not discarded; kept[0] is the starting point S
    for point in reversals(history):
        kept.append(point)  # step 1
        while len(kept) >= 3:  # step 2
            x = abs(kept[-1] - kept[-2])
            y = abs(kept[-2] - kept[-3])
            if x < y:  # step 3(a)
                break
            if len(kept) == 3:  # step 5: Y contains S
                counted.append((y, 0.5))
                kept.pop(0)
            else:  # step 4
                counted.append((y, 1.0))
                del kept[-3:-1]
    for a, b in zip(kept, kept[1:]):  # step 6
        counted.append((abs(b - a), 0.5))
    return counted


def en1993_damage(cycles, category, stress_per_unit):
    """Miner's sum on the curve of ``category``: slope 3 through 2e6 cycles at delta_c down
    to delta_d at 5e6 cycles, slope 5 down to delta_l at 1e8, nothing below."""
    delta_d = category * (2.0 / 5.0) ** (1.0 / 3.0)
    delta_l = delta_d * (5.0 / 100.0) ** (1.0 / 5.0)
    total = 0.0
    for r, n in cycles:
        stress = r * stress_per_unit
        if stress >= delta_d:
            total += n / (2e6 * (category / stress) ** 3)
        elif stress >= delta_l:
            total += n / (5e6 * (delta_d / stress) ** 5)
    return total


def probe_count(probe, history, curve=()):
    text = "".join("%.17g\n" % v for v in history)
    command = [probe] + ["%.17g" % x for x in curve]
    out = subprocess.run(command, input=text, capture_output=True, text=True, check=True).stdout
    result = []
    damage = None
    for line in out.splitlines():
        r, c = line.split()
        if r == "damage":
            damage = float(c)
        else:
            result.append((float(r), float(c)))
    return result, damage


def series(rng):
    yield "worked example", [-2, 1, -3, 5, -1, 3, -4, 4, -2]
    yield "single reversal", [0, 5, 0]
    yield "one point", [3]
    yield "level", [2, 2, 2, 2]
    yield "long monotone rise", list(range(10000))
    yield "monotone runs with plateaus", [i // 3 for i in range(300)] + [100 - i // 2 for i in range(400)]
    yield "equal peaks", [0, 5, 1, 5, 1, 5, 0, 5, 0]
    yield "growing then shrinking", [(-1) ** i * i for i in range(200)] + [(-1) ** i * (200 - i) for i in range(200)]
    yield "jumps", [v for v in [0, 4, 4, -2, -2, 6, 1, 1, 3, -5, -5, 0] for _ in range(2)]
    for n in (10, 100, 10000):
        yield "random integers %d" % n, [rng.randint(-5, 5) for _ in range(n)]
        yield "random reals %d" % n, [rng.uniform(-1e3, 1e3) for _ in range(n)]
    walk = [0.0]
    for _ in range(20000):
        walk.append(walk[-1] + rng.choice([-1.0, 0.0, 0.0, 1.0, 2.5]))
    yield "random walk with plateaus", walk


def main():
    probe = sys.argv[1]
    rng = random.Random(2026)
    failures = 0
    for name, history in series(rng):
        expected = astm_rainflow(history)
        # Stresses of up to about 100 MPa: the cycles cross both knees and the cut-off.
        top = max(abs(v) for v in history) or 1.0
        curve = (71.0, 50.0 / top)
        found, damage = probe_count(probe, history, curve)
        expected_damage = en1993_damage(expected, *curve)
        if found != expected:  # the same cycles, counted in the same order
            failures += 1
            print("MISMATCH %s: %d cycles expected, %d counted" % (name, len(expected), len(found)))
        elif abs(damage - expected_damage) > 1e-12 * max(expected_damage, 1e-300):
            failures += 1
            print("MISMATCH %s: damage %.17g expected, %.17g summed" % (name, expected_damage, damage))
        else:
            print("ok %s: %d cycles, damage %.6g" % (name, len(found), damage))
    example = sorted(astm_rainflow([-2, 1, -3, 5, -1, 3, -4, 4, -2]))
    merged = {}
    for r, c in example:
        merged[r] = merged.get(r, 0) + c
    if merged != {3: 0.5, 4: 1.5, 6: 0.5, 8: 1.0, 9: 0.5}:
        failures += 1
        print("MISMATCH: the reference does not give the standard's table: %s" % merged)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
