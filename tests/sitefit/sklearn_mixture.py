"""Fits scikit-learn's GaussianMixture (three components, many starts) to the whole numbers of
a file, one a line, as an independent check of velmora-fit's mixtures. Prints the mean
log-likelihood per value, then weight, mean and standard deviation of each component in
rising order of mean."""
import sys

import numpy as np
from sklearn.mixture import GaussianMixture


def main(path):
    x = np.loadtxt(path).reshape(-1, 1)
    fit = GaussianMixture(3, n_init=8, tol=1e-9, max_iter=3000, reg_covar=1e-9,
                          random_state=0).fit(x)
    order = np.argsort(fit.means_[:, 0])
    out = [fit.score(x)]
    for c in order:
        out += [fit.weights_[c], fit.means_[c, 0], np.sqrt(fit.covariances_[c, 0, 0])]
    print(" ".join(repr(float(v)) for v in out))


if __name__ == "__main__":
    main(sys.argv[1])
