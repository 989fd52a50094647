"""Independent checks of velmora-extremes' peaks-over-threshold and composite models.

  scipy_tails.py gpd MAXIMA.csv Q DAYS_PER_YEAR YEARS...
    For each effect: the threshold at numpy's quantile Q of the daily maxima, then
    scipy.stats.genpareto fitted to the excesses over it (location 0): xi, sigma, the share
    of days above, and the return levels u + sigma / xi ((T n_y zeta)^xi - 1).

  scipy_tails.py composite EVENTS.csv DAYS_PER_YEAR YEARS...
    For each effect: classes with fewer than 50 days with a value merged into the class
    below (each day's greater value), scipy.stats.genextreme fitted to each class, and the
    levels solving prod_k [q_k + (1 - q_k) G_k(x)]^n_y = 1 - 1/T by brentq.
Each effect gives one line: the effect, then the numbers."""
import csv
import math
import sys

import numpy as np
from scipy import optimize, stats


def tight(f, x0, args=(), disp=0):
    return optimize.fmin(f, x0, args=args, xtol=1e-12, ftol=1e-14, maxiter=100000,
                         maxfun=100000, disp=0)


def gpd(path, q, days_per_year, periods):
    rows = list(csv.DictReader(open(path)))
    for effect in dict.fromkeys(r["effect"] for r in rows):
        x = np.array([float(r["max"]) for r in rows if r["effect"] == effect])
        u = np.quantile(x, q)
        excesses = x[x > u] - u
        c, _, scale = stats.genpareto.fit(excesses, floc=0, optimizer=tight)
        zeta = len(excesses) / len(x)
        out = [effect, u, c, scale, zeta]
        for years in periods:
            m = years * days_per_year * zeta
            out.append(u + scale * math.log(m) if c == 0 else u + scale / c * (m ** c - 1))
        print(" ".join([effect] + [repr(float(v)) for v in out[1:]]))


def classes_of(rows):
    days = {}
    for r in rows:
        days.setdefault(int(r["trucks"]), []).append(float(r["max"]) if r["max"] else math.nan)
    classes = [np.array(days[k]) for k in sorted(days)]
    k = len(classes) - 1
    while k >= 1:
        if np.count_nonzero(~np.isnan(classes[k])) < 50:
            classes[k - 1] = np.fmax(classes[k - 1], classes[k])
            del classes[k]
        k -= 1
    if len(classes) > 1 and np.count_nonzero(~np.isnan(classes[0])) < 50:
        classes[1] = np.fmax(classes[0], classes[1])
        del classes[0]
    return classes


def composite(path, days_per_year, periods):
    rows = list(csv.DictReader(open(path)))
    for effect in dict.fromkeys(r["effect"] for r in rows):
        fits = []
        for values in classes_of([r for r in rows if r["effect"] == effect]):
            present = values[~np.isnan(values)]
            c, loc, scale = stats.genextreme.fit(present, optimizer=tight)
            fits.append((1.0 - len(present) / len(values), c, loc, scale))

        def log_f(x):
            return sum(math.log(q + (1 - q) * stats.genextreme.cdf(x, c, loc, scale))
                       for q, c, loc, scale in fits)

        out = [effect]
        for years in periods:
            target = math.log1p(-1.0 / years) / days_per_year
            high = max(stats.genextreme.ppf(math.exp(target / len(fits)), c, loc, scale)
                       for _, c, loc, scale in fits)
            low = min(loc for _, _, loc, _ in fits)
            out.append(optimize.brentq(lambda x: log_f(x) - target, low, high, xtol=1e-12))
        print(" ".join(repr(float(v)) if not isinstance(v, str) else v for v in out))


if __name__ == "__main__":
    if sys.argv[1] == "gpd":
        gpd(sys.argv[2], float(sys.argv[3]), float(sys.argv[4]), [float(a) for a in sys.argv[5:]])
    else:
        composite(sys.argv[2], float(sys.argv[3]), [float(a) for a in sys.argv[4:]])
