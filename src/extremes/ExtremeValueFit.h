// Maximum-likelihood fits of extreme-value distributions to block maxima, their standard
// errors, goodness of fit, and return levels with profile-likelihood confidence intervals.
// The generalized extreme value distribution is
//   F(x) = exp(-(1 + xi (x - mu) / sigma)^(-1/xi)),
// so a positive shape xi has a heavy upper tail (Frechet type), a negative one a bounded
// upper tail (Weibull type), and xi = 0 is the Gumbel distribution
//   F(x) = exp(-exp(-(x - mu) / sigma)).
// (scipy.stats.genextreme calls -xi its shape c.) Over a threshold u, the excesses of
// daily maxima follow the generalized Pareto distribution
//   H(x) = 1 - (1 + xi (x - u) / sigma)^(-1/xi),  x > u,
// its limit 1 - exp(-(x - u) / sigma) at xi = 0 (scipy.stats.genpareto's c is xi).
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class ExtremeModel { gev, gumbel, gpd };

struct ExtremeValueFit {
  ExtremeModel model = ExtremeModel::gev;
  double location = 0.0;       // mu, in the maxima's unit; the threshold u of the gpd
  double scale = 0.0;          // sigma, in the maxima's unit
  double shape = 0.0;          // xi; 0 for the Gumbel fit
  double locationError = 0.0;  // standard errors from the observed information
  double scaleError = 0.0;
  double shapeError = 0.0;  // 0 for the Gumbel fit
  double logLikelihood = 0.0;
  double kolmogorovSmirnov = 0.0;  // the greatest distance between fitted and empirical CDF
  double andersonDarling = 0.0;    // A^2
  // The gpd's share of days above the threshold, zeta_u; 1 for the block-maxima models.
  double exceedanceRate = 1.0;
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

// The Anderson-Darling statistic A^2 of the values against the distribution cdf.
double andersonDarling(const std::vector<double>& values, const std::function<double(double)>& cdf);

// The value of which `years` years of `perYear` observations exceed the fitted
// distribution once on average: for the gev and gumbel the quantile of probability
// (1 - 1/years)^(1/perYear), perYear blocks a year; for the gpd
// u + sigma / xi ((years perYear zeta_u)^xi - 1), perYear days a year.
double levelOfYears(const ExtremeValueFit& fit, double years, double perYear);

// Fits the model, gev or gumbel, to the maxima. False, with *error saying why, for fewer than 5
// maxima, maxima that do not vary, or a fit that does not converge.
bool fitExtremes(const std::vector<double>& maxima, ExtremeModel model, ExtremeValueFit* fit,
                 std::string* error);

// Fits the gpd to the excesses over `threshold` of the daily maxima, which are `days` in all
// (zeta_u is the share of them above it). False, with *error saying why, for fewer than 5
// values above the threshold, or a fit that does not converge.
bool fitExcesses(const std::vector<double>& dailyMaxima, double threshold, ExtremeValueFit* fit,
                 std::string* error);

// Fits the model of `start` again to other values, searching from start's parameters (the
// gpd keeps its threshold and exceedance rate): for resampling, so it gives the parameters,
// the log-likelihood and A^2, without standard errors. False when the search does not
// settle.
bool refit(const std::vector<double>& values, const ExtremeValueFit& start, ExtremeValueFit* fit);

// The values the fit was fitted to: the maxima for a block-maxima model, those above the
// threshold for the gpd.
std::vector<double> fittedValues(const std::vector<double>& values, const ExtremeValueFit& fit);

// levelOfYears with its 95 % confidence interval by profile likelihood (for the gpd, with
// zeta_u held at its estimate). REQUIRES: fit was fitted to fitted, what fittedValues gives.
ReturnLevel returnLevel(const std::vector<double>& fitted, const ExtremeValueFit& fit, double years,
                        double perYear);
