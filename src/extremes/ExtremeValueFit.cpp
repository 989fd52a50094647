#include "extremes/ExtremeValueFit.h"

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_deriv.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_multimin.h>
#include <gsl/gsl_roots.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>

#include "extremes/AnalysisLimits.h"

namespace {

constexpr double outside = 1e300;      // the negative log-likelihood outside the support
constexpr double gumbelShape = 1e-10;  // shapes closer to 0 than this are the Gumbel limit
constexpr double lowestShape = -1.0;   // below it the likelihood has no maximum
constexpr double eulerGamma = 0.57721566490153286;

// -log L of the GEV (or, with shape 0, the Gumbel) distribution.
double negativeLogLikelihood(const std::vector<double>& maxima, double location, double scale,
                             double shape) {
  if (!(scale > 0.0) || !(shape > lowestShape) || !std::isfinite(location)) {
    return outside;
  }
  double sum = static_cast<double>(maxima.size()) * std::log(scale);
  bool gumbel = std::fabs(shape) < gumbelShape;
  for (double x : maxima) {
    double z = (x - location) / scale;
    if (gumbel) {
      sum += z + std::exp(-z);
      continue;
    }
    double t = 1.0 + shape * z;
    if (!(t > 0.0)) {
      return outside;
    }
    double logT = std::log(t);
    sum += (1.0 + 1.0 / shape) * logT + std::exp(-logT / shape);
  }
  return std::isfinite(sum) ? sum : outside;
}

// -log L of the generalized Pareto distribution over `threshold` (its exponential limit at
// shape 0) of the values above it.
double paretoNegativeLogLikelihood(const std::vector<double>& values, double threshold,
                                   double scale, double shape) {
  if (!(scale > 0.0) || !(shape > lowestShape)) {
    return outside;
  }
  double sum = static_cast<double>(values.size()) * std::log(scale);
  bool exponential = std::fabs(shape) < gumbelShape;
  for (double x : values) {
    double y = (x - threshold) / scale;
    if (exponential) {
      sum += y;
      continue;
    }
    double t = 1.0 + shape * y;
    if (!(t > 0.0)) {
      return outside;
    }
    sum += (1.0 + 1.0 / shape) * std::log(t);
  }
  return std::isfinite(sum) ? sum : outside;
}

// Minimises f over a start point and steps with the simplex method, restarted from where
// it stopped for `rounds` rounds in all. False when it does not settle.
bool minimise(const std::function<double(const gsl_vector*)>& f, std::vector<double>& point,
              const std::vector<double>& steps, double* minimum, int rounds = 2,
              double tolerance = 1e-11) {
  std::size_t n = point.size();
  gsl_multimin_function function;
  function.n = n;
  function.params = const_cast<void*>(static_cast<const void*>(&f));
  function.f = [](const gsl_vector* v, void* params) {
    return (*static_cast<const std::function<double(const gsl_vector*)>*>(params))(v);
  };
  gsl_vector* x = gsl_vector_alloc(n);
  gsl_vector* step = gsl_vector_alloc(n);
  gsl_multimin_fminimizer* solver =
      gsl_multimin_fminimizer_alloc(gsl_multimin_fminimizer_nmsimplex2, n);
  bool settled = true;
  for (int round = 0; round < rounds && settled; ++round) {
    for (std::size_t i = 0; i < n; ++i) {
      gsl_vector_set(x, i, point[i]);
      gsl_vector_set(step, i, steps[i]);
    }
    gsl_multimin_fminimizer_set(solver, &function, x, step);
    for (int iteration = 0; iteration < 20000; ++iteration) {
      // The simplex stops making progress, or shrinks below the tolerance, at the minimum.
      if (gsl_multimin_fminimizer_iterate(solver) != GSL_SUCCESS ||
          gsl_multimin_test_size(gsl_multimin_fminimizer_size(solver), tolerance) == GSL_SUCCESS) {
        break;
      }
    }
    settled = gsl_multimin_fminimizer_size(solver) < 1e-6;
    for (std::size_t i = 0; i < n; ++i) {
      point[i] = gsl_vector_get(solver->x, i);
    }
    *minimum = solver->fval;
  }
  gsl_multimin_fminimizer_free(solver);
  gsl_vector_free(step);
  gsl_vector_free(x);
  return settled && *minimum < outside;
}

double mean(const std::vector<double>& values) {
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double standardDeviation(const std::vector<double>& values) {
  double m = mean(values);
  double sum = 0.0;
  for (double v : values) {
    sum += (v - m) * (v - m);
  }
  return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

// The derivative of f at x by the library's central differences.
double derivative(const std::function<double(double)>& f, double x, double step) {
  gsl_function function;
  function.params = const_cast<void*>(static_cast<const void*>(&f));
  function.function = [](double value, void* params) {
    return (*static_cast<const std::function<double(double)>*>(params))(value);
  };
  double result = 0.0;
  double error = 0.0;
  gsl_deriv_central(&function, x, step, &result, &error);
  return result;
}

// The standard errors of the parameters: the square roots of the diagonal of the inverse of
// the negative log-likelihood's Hessian there. NaN where it is not positive definite.
std::vector<double> standardErrors(const std::function<double(const std::vector<double>&)>& f,
                                   const std::vector<double>& at,
                                   const std::vector<double>& steps) {
  std::size_t n = at.size();
  gsl_matrix* hessian = gsl_matrix_alloc(n, n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      auto slopeAlongJ = [&](double valueI) {
        std::vector<double> point = at;
        point[i] = valueI;
        return derivative(
            [&](double valueJ) {
              std::vector<double> inner = point;
              inner[j] = valueJ;
              return f(inner);
            },
            point[j], steps[j]);
      };
      gsl_matrix_set(hessian, i, j, derivative(slopeAlongJ, at[i], steps[i]));
    }
  }
  std::vector<double> errors(n, std::numeric_limits<double>::quiet_NaN());
  gsl_permutation* permutation = gsl_permutation_alloc(n);
  gsl_matrix* inverse = gsl_matrix_alloc(n, n);
  int sign = 0;
  if (gsl_linalg_LU_decomp(hessian, permutation, &sign) == GSL_SUCCESS &&
      gsl_linalg_LU_invert(hessian, permutation, inverse) == GSL_SUCCESS) {
    for (std::size_t i = 0; i < n; ++i) {
      double variance = gsl_matrix_get(inverse, i, i);
      if (variance > 0.0) {
        errors[i] = std::sqrt(variance);
      }
    }
  }
  gsl_matrix_free(inverse);
  gsl_permutation_free(permutation);
  gsl_matrix_free(hessian);
  return errors;
}

void goodnessOfFit(const std::vector<double>& maxima, ExtremeValueFit& fit) {
  std::vector<double> sorted = maxima;
  std::sort(sorted.begin(), sorted.end());
  auto n = static_cast<double>(sorted.size());
  double ks = 0.0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    double f = cumulative(fit, sorted[i]);
    auto rank = static_cast<double>(i);
    ks = std::max({ks, (rank + 1.0) / n - f, f - rank / n});
  }
  fit.kolmogorovSmirnov = ks;
  fit.andersonDarling = andersonDarling(sorted, [&fit](double x) { return cumulative(fit, x); });
}

// (y^-xi - 1) / xi, its limit -log y at xi = 0: how far the level lies above mu in units of
// sigma when -log of its non-exceedance probability is y.
double reducedLevel(double y, double shape) {
  if (std::fabs(shape) < gumbelShape) {
    return -std::log(y);
  }
  return std::expm1(-shape * std::log(y)) / shape;
}

// The maxima less their mean, over their standard deviation: the searches work on numbers of
// order 1 whatever the unit.
// For the gpd the threshold is the center and the mean excess the spread.
struct Standardized {
  double center;
  double spread;
  std::vector<double> values;

  explicit Standardized(const std::vector<double>& maxima)
      : Standardized(maxima, mean(maxima), standardDeviation(maxima)) {}
  Standardized(const std::vector<double>& maxima, double middle, double width)
      : center(middle), spread(width) {
    for (double x : maxima) {
      values.push_back((x - center) / spread);
    }
  }
  static Standardized of(const std::vector<double>& fitted, const ExtremeValueFit& fit) {
    if (fit.model == ExtremeModel::gpd) {
      return Standardized(fitted, fit.location, mean(fitted) - fit.location);
    }
    return Standardized(fitted);
  }
  // The fit of the standardized values that corresponds to fit.
  ExtremeValueFit of(const ExtremeValueFit& fit) const {
    ExtremeValueFit result = fit;
    result.location = (fit.location - center) / spread;
    result.scale = fit.scale / spread;
    result.logLikelihood =
        fit.logLikelihood + static_cast<double>(values.size()) * std::log(spread);
    return result;
  }
};

}  // namespace

double andersonDarling(const std::vector<double>& values,
                       const std::function<double(double)>& cdf) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  auto n = static_cast<double>(sorted.size());
  double sum = 0.0;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    double lower = std::max(cdf(sorted[i]), 1e-300);
    double upper = std::max(1.0 - cdf(sorted[sorted.size() - 1 - i]), 1e-300);
    sum += (2.0 * static_cast<double>(i) + 1.0) * (std::log(lower) + std::log(upper));
  }
  return -n - sum / n;
}

double cumulative(const ExtremeValueFit& fit, double x) {
  double z = (x - fit.location) / fit.scale;
  if (fit.model == ExtremeModel::gpd) {
    if (!(z > 0.0)) {
      return 0.0;
    }
    if (std::fabs(fit.shape) < gumbelShape) {
      return -std::expm1(-z);
    }
    double t = 1.0 + fit.shape * z;
    return t > 0.0 ? -std::expm1(-std::log(t) / fit.shape) : 1.0;
  }
  if (fit.model == ExtremeModel::gumbel || std::fabs(fit.shape) < gumbelShape) {
    return std::exp(-std::exp(-z));
  }
  double t = 1.0 + fit.shape * z;
  if (!(t > 0.0)) {
    return fit.shape > 0.0 ? 0.0 : 1.0;
  }
  return std::exp(-std::exp(-std::log(t) / fit.shape));
}

double quantile(const ExtremeValueFit& fit, double p) {
  if (fit.model == ExtremeModel::gpd) {
    return fit.location + fit.scale * reducedLevel(1.0 - p, fit.shape);
  }
  return fit.location + fit.scale * reducedLevel(-std::log(p), fit.shape);
}

namespace {

// The y of reducedLevel that gives the level of `years`.
double yearsVariate(const ExtremeValueFit& fit, double years, double perYear) {
  if (fit.model == ExtremeModel::gpd) {
    return 1.0 / (years * perYear * fit.exceedanceRate);
  }
  // The block non-exceedance probability p with p^perYear = 1 - 1/years; y = -log p.
  return -std::log1p(-1.0 / years) / perYear;
}

}  // namespace

double levelOfYears(const ExtremeValueFit& fit, double years, double perYear) {
  return fit.location + fit.scale * reducedLevel(yearsVariate(fit, years, perYear), fit.shape);
}

std::vector<double> fittedValues(const std::vector<double>& values, const ExtremeValueFit& fit) {
  if (fit.model != ExtremeModel::gpd) {
    return values;
  }
  std::vector<double> above;
  std::copy_if(values.begin(), values.end(), std::back_inserter(above),
               [&fit](double x) { return x > fit.location; });
  return above;
}

bool fitExcesses(const std::vector<double>& dailyMaxima, double threshold, ExtremeValueFit* fit,
                 std::string* error) {
  gsl_set_error_handler_off();
  ExtremeValueFit result;
  result.model = ExtremeModel::gpd;
  result.location = threshold;
  std::vector<double> above = fittedValues(dailyMaxima, result);
  if (above.size() < static_cast<std::size_t>(analysis_limits::minMaxima)) {
    *error = std::to_string(above.size()) + " daily maxima lie above the threshold " +
             std::to_string(threshold) + "; a fit needs at least " +
             std::to_string(analysis_limits::minMaxima);
    return false;
  }
  Standardized standard = Standardized::of(above, result);
  std::vector<double> point = {0.0, 0.05};  // log sigma and xi, in units of the mean excess
  double minimum = 0.0;
  auto objective = [&](const gsl_vector* v) {
    return paretoNegativeLogLikelihood(standard.values, 0.0, std::exp(gsl_vector_get(v, 0)),
                                       gsl_vector_get(v, 1));
  };
  if (!minimise(objective, point, {0.2, 0.1}, &minimum)) {
    *error = "the likelihood of the excesses has no maximum the search could settle on";
    return false;
  }
  auto count = static_cast<double>(above.size());
  result.scale = standard.spread * std::exp(point[0]);
  result.shape = point[1];
  result.logLikelihood = -minimum - count * std::log(standard.spread);
  result.exceedanceRate = count / static_cast<double>(dailyMaxima.size());
  std::vector<double> errors = standardErrors(
      [&](const std::vector<double>& p) {
        return paretoNegativeLogLikelihood(above, threshold, p[0], p[1]);
      },
      {result.scale, result.shape}, {1e-3 * result.scale, 1e-3});
  result.locationError = 0.0;
  result.scaleError = errors[0];
  result.shapeError = errors[1];
  goodnessOfFit(above, result);
  *fit = result;
  return true;
}

bool fitExtremes(const std::vector<double>& maxima, ExtremeModel model, ExtremeValueFit* fit,
                 std::string* error) {
  gsl_set_error_handler_off();
  if (maxima.size() < static_cast<std::size_t>(analysis_limits::minMaxima)) {
    *error = "it has " + std::to_string(maxima.size()) + " maxima; a fit needs at least " +
             std::to_string(analysis_limits::minMaxima);
    return false;
  }
  double spread = standardDeviation(maxima);
  if (!(spread > 0.0)) {
    *error = "its maxima are all the same";
    return false;
  }
  bool gev = model == ExtremeModel::gev;
  Standardized standard(maxima);
  // Start from the Gumbel distribution of the same mean and deviation.
  double scale = std::sqrt(6.0) / M_PI;
  std::vector<double> point = {-eulerGamma * scale, std::log(scale)};
  std::vector<double> steps = {0.2, 0.2};
  if (gev) {
    point.push_back(0.05);
    steps.push_back(0.1);
  }
  auto objective = [&](const gsl_vector* v) {
    return negativeLogLikelihood(standard.values, gsl_vector_get(v, 0),
                                 std::exp(gsl_vector_get(v, 1)), gev ? gsl_vector_get(v, 2) : 0.0);
  };
  double minimum = 0.0;
  if (!minimise(objective, point, steps, &minimum)) {
    *error = "the likelihood has no maximum the search could settle on";
    return false;
  }
  ExtremeValueFit result;
  result.model = model;
  result.location = standard.center + standard.spread * point[0];
  result.scale = standard.spread * std::exp(point[1]);
  result.shape = gev ? point[2] : 0.0;
  result.logLikelihood = -minimum - static_cast<double>(maxima.size()) * std::log(standard.spread);
  std::vector<double> natural = {result.location, result.scale};
  std::vector<double> derivativeSteps = {1e-3 * result.scale, 1e-3 * result.scale};
  if (gev) {
    natural.push_back(result.shape);
    derivativeSteps.push_back(1e-3);
  }
  std::vector<double> errors = standardErrors(
      [&](const std::vector<double>& p) {
        return negativeLogLikelihood(maxima, p[0], p[1], gev ? p[2] : 0.0);
      },
      natural, derivativeSteps);
  result.locationError = errors[0];
  result.scaleError = errors[1];
  result.shapeError = gev ? errors[2] : 0.0;
  goodnessOfFit(maxima, result);
  *fit = result;
  return true;
}

bool refit(const std::vector<double>& values, const ExtremeValueFit& start, ExtremeValueFit* fit) {
  ExtremeValueFit result = start;
  bool pareto = start.model == ExtremeModel::gpd;
  bool gev = start.model == ExtremeModel::gev;
  Standardized standard = Standardized::of(values, start);
  if (!(standard.spread > 0.0)) {
    return false;
  }
  ExtremeValueFit from = standard.of(start);
  std::vector<double> point = {std::log(from.scale)};
  if (!pareto) {
    point.insert(point.begin(), from.location);
  }
  if (gev || pareto) {
    point.push_back(from.shape);
  }
  auto objective = [&](const gsl_vector* v) {
    if (pareto) {
      return paretoNegativeLogLikelihood(standard.values, 0.0, std::exp(gsl_vector_get(v, 0)),
                                         gsl_vector_get(v, 1));
    }
    return negativeLogLikelihood(standard.values, gsl_vector_get(v, 0),
                                 std::exp(gsl_vector_get(v, 1)), gev ? gsl_vector_get(v, 2) : 0.0);
  };
  double minimum = 0.0;
  if (!minimise(objective, point, std::vector<double>(point.size(), 0.02), &minimum, 1, 1e-7)) {
    return false;
  }
  std::size_t scaleAt = pareto ? 0 : 1;
  result.location = pareto ? start.location : standard.center + standard.spread * point[0];
  result.scale = standard.spread * std::exp(point[scaleAt]);
  result.shape = gev || pareto ? point[scaleAt + 1] : 0.0;
  result.logLikelihood = -minimum - static_cast<double>(values.size()) * std::log(standard.spread);
  result.andersonDarling =
      andersonDarling(values, [&result](double x) { return cumulative(result, x); });
  *fit = result;
  return true;
}

namespace {

// The profile negative log-likelihood of the return level `level`: mu follows from the
// level, sigma and xi, which are chosen to fit best. Starts, and leaves, its search at start.
// For the gpd, whose threshold (here 0) is fixed, sigma follows from the level and xi, which
// is chosen to fit best.
double profileAt(const std::vector<double>& maxima, ExtremeModel model, double y, double level,
                 std::vector<double>& start) {
  bool gev = model == ExtremeModel::gev;
  auto objective = [&](const gsl_vector* v) {
    if (model == ExtremeModel::gpd) {
      double shape = gsl_vector_get(v, 0);
      return paretoNegativeLogLikelihood(maxima, 0.0, level / reducedLevel(y, shape), shape);
    }
    double scale = std::exp(gsl_vector_get(v, 0));
    double shape = gev ? gsl_vector_get(v, 1) : 0.0;
    return negativeLogLikelihood(maxima, level - scale * reducedLevel(y, shape), scale, shape);
  };
  std::vector<double> steps = {0.02};
  if (gev) {
    steps.push_back(0.02);
  }
  std::vector<double> point = start;
  double minimum = outside;
  minimise(objective, point, steps, &minimum, 1, 1e-9);  // from a start close to the minimum
  if (minimum < outside) {
    start = point;
  }
  return minimum;
}

// The bound of the interval on the side `direction` (+1 or -1): where the profile's deviance
// from the maximum reaches `critical`. False when it does not within a wide search.
bool intervalBound(const std::vector<double>& maxima, const ExtremeValueFit& fit, double y,
                   double level, double direction, double critical, double* bound) {
  std::vector<double> start = {std::log(fit.scale)};
  if (fit.model == ExtremeModel::gev) {
    start.push_back(fit.shape);
  }
  if (fit.model == ExtremeModel::gpd) {
    start = {fit.shape};
  }
  double best = -fit.logLikelihood;
  auto deviance = [&](double z) {
    return 2.0 * (profileAt(maxima, fit.model, y, z, start) - best);
  };
  double step = 0.05 * fit.scale + 0.05 * std::fabs(level - fit.location);
  double inside = level;
  double outsideLevel = level + direction * step;
  int expansions = 0;
  while (deviance(outsideLevel) < critical) {
    if (++expansions > 60) {
      return false;
    }
    inside = outsideLevel;
    step *= 1.6;
    outsideLevel = level + direction * step;
  }
  struct Search {
    std::function<double(double)> f;
  } search{[&](double z) { return deviance(z) - critical; }};
  gsl_function function;
  function.params = &search;
  function.function = [](double z, void* params) { return static_cast<Search*>(params)->f(z); };
  gsl_root_fsolver* solver = gsl_root_fsolver_alloc(gsl_root_fsolver_brent);
  double low = std::min(inside, outsideLevel);
  double high = std::max(inside, outsideLevel);
  bool found = gsl_root_fsolver_set(solver, &function, low, high) == GSL_SUCCESS;
  int status = GSL_CONTINUE;
  for (int iteration = 0; found && iteration < 200 && status == GSL_CONTINUE; ++iteration) {
    if (gsl_root_fsolver_iterate(solver) != GSL_SUCCESS) {
      found = false;
      break;
    }
    status = gsl_root_test_interval(gsl_root_fsolver_x_lower(solver),
                                    gsl_root_fsolver_x_upper(solver), 1e-8, 1e-8);
  }
  *bound = gsl_root_fsolver_root(solver);
  gsl_root_fsolver_free(solver);
  return found && status == GSL_SUCCESS;
}

}  // namespace

ReturnLevel returnLevel(const std::vector<double>& fitted, const ExtremeValueFit& fit, double years,
                        double perYear) {
  gsl_set_error_handler_off();
  ReturnLevel result;
  result.years = years;
  double y = yearsVariate(fit, years, perYear);
  result.level = levelOfYears(fit, years, perYear);
  double critical = gsl_cdf_chisq_Pinv(0.95, 1.0);
  Standardized standard = Standardized::of(fitted, fit);
  ExtremeValueFit standardFit = standard.of(fit);
  double level = (result.level - standard.center) / standard.spread;
  double lower = 0.0;
  double upper = 0.0;
  result.intervalFound =
      intervalBound(standard.values, standardFit, y, level, -1.0, critical, &lower) &&
      intervalBound(standard.values, standardFit, y, level, 1.0, critical, &upper);
  result.lower = standard.center + standard.spread * lower;
  result.upper = standard.center + standard.spread * upper;
  return result;
}
