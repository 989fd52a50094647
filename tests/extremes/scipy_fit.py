"""Fits scipy.stats.genextreme and gumbel_r to the maxima of a maxima file, as an independent
check of velmora-extremes. Prints, for each effect, one line: the effect, then the GEV's
shape (xi = -c), location and scale, the Gumbel's location and scale, then for each return
period given the GEV's and the Gumbel's return levels (250 days a year, 1-day blocks)."""
import csv
import sys

import numpy as np
from scipy import optimize, stats


def tight(f, x0, args=(), disp=0):
    return optimize.fmin(f, x0, args=args, xtol=1e-12, ftol=1e-14, maxiter=100000,
                         maxfun=100000, disp=0)


def main(path, periods):
    rows = list(csv.DictReader(open(path)))
    for effect in dict.fromkeys(r["effect"] for r in rows):
        x = np.array([float(r["max"]) for r in rows if r["effect"] == effect])
        c, loc, scale = stats.genextreme.fit(x, optimizer=tight)
        gumbel_loc, gumbel_scale = stats.gumbel_r.fit(x, optimizer=tight)
        out = [effect, -c, loc, scale, gumbel_loc, gumbel_scale]
        for years in periods:
            p = (1.0 - 1.0 / years) ** (1.0 / 250.0)
            out += [stats.genextreme.ppf(p, c, loc, scale),
                    stats.gumbel_r.ppf(p, gumbel_loc, gumbel_scale)]
        print(" ".join(str(v) for v in out))


if __name__ == "__main__":
    main(sys.argv[1], [float(a) for a in sys.argv[2:]])
