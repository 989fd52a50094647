// Maximum-likelihood fits of extreme-value distributions to block maxima, their standard
// errors, goodness of fit, and return levels with profile-likelihood confidence intervals.
// The generalized extreme value distribution is
//   F(x) = exp(-(1 + xi (x - mu) / sigma)^(-1/xi)),
// so a positive shape xi has a heavy upper tail (Frechet type), a negative one a bounded
// upper tail (Weibull type), and xi = 0 is the Gumbel distribution
//   F(x) = exp(-exp(-(x - mu) / sigma)).
// (scipy.stats.genextreme calls -xi its shape c.)
#pragma once

#include <string>
#include <vector>

enum class ExtremeModel { gev, gumbel };

struct ExtremeValueFit {
  ExtremeModel model = ExtremeModel::gev;
  double location = 0.0;  // mu, in the maxima's unit
  double scale = 0.0;     // sigma, in the maxima's unit
  double shape = 0.0;     // xi; 0 for the Gumbel fit
  double locationError = 0.0;  // standard errors from the observed information
  double scaleError = 0.0;
  double shapeError = 0.0;     // 0 for the Gumbel fit
  double logLikelihood = 0.0;
  double kolmogorovSmirnov = 0.0;  // the greatest distance between fitted and empirical CDF
  double andersonDarling = 0.0;    // A^2
};

struct ReturnLevel {
  double years = 0.0;
  double level = 0.0;
  double lower = 0.0;  // the 95 % profile-likelihood interval
  double upper = 0.0;
  bool intervalFound = false;  // false when the profile does not fall far enough on a side
};

// The fitted CDF at x.
double cumulative(const ExtremeValueFit& fit, double x);
// The level whose block-maximum non-exceedance probability is p, 0 < p < 1.
double quantile(const ExtremeValueFit& fit, double p);

// Fits the model to the maxima. False, with *error saying why, for fewer than 5 maxima, maxima
// that do not vary, or a fit that does not converge.
bool fitExtremes(const std::vector<double>& maxima, ExtremeModel model, ExtremeValueFit* fit,
                 std::string* error);

// The level exceeded on average once in `years` when each year holds blocksPerYear blocks,
// with its 95 % confidence interval by profile likelihood. REQUIRES: fit fits maxima.
ReturnLevel returnLevel(const std::vector<double>& maxima, const ExtremeValueFit& fit,
                        double years, double blocksPerYear);
