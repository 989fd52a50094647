"""Long-run return levels of annual maxima without a model, as an independent check of
velmora-extremes: numpy's quantile with Weibull plotting positions, and the distribution-
free 95 % interval from the order statistics by scipy's binomial distribution. Reads a
maxima file of one effect whose days are years; prints, for each return period of at most
as many years as the file holds, "years level lower upper" ("nan" for a bound not found)."""
import csv
import sys

import numpy as np
from scipy.stats import binom


def interval(sorted_maxima, p):
    n = len(sorted_maxima)
    lower = max([r for r in range(1, n + 1) if binom.cdf(r - 1, n, p) <= 0.025], default=0)
    upper = min([s for s in range(1, n + 1) if binom.sf(s - 1, n, p) <= 0.025], default=n + 1)
    if lower < 1 or upper > n:
        return float("nan"), float("nan")
    return sorted_maxima[lower - 1], sorted_maxima[upper - 1]


def main(path, periods):
    x = np.sort([float(r["max"]) for r in csv.DictReader(open(path))])
    for years in periods:
        if years <= len(x):
            p = 1.0 - 1.0 / years
            low, high = interval(x, p)
            print(years, np.quantile(x, p, method="weibull"), low, high)


if __name__ == "__main__":
    main(sys.argv[1], [float(a) for a in sys.argv[2:]])
