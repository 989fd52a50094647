#include "extremes/ThresholdChoice.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "extremes/AnalysisLimits.h"
#include "extremes/ExtremeValueFit.h"
#include "extremes/Resampling.h"

namespace {

constexpr double defaultShareAbove = 0.05;
constexpr int fewestDiagnosedExcesses = 20;
constexpr double lowestDiagnosedQuantile = 0.8;

std::vector<double> sortedCopy(const std::vector<double>& values) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

// The value that leaves `above` of the sorted values above it (ties may leave fewer).
double leaving(const std::vector<double>& sorted, std::size_t above) {
  return sorted[sorted.size() - 1 - above];
}

}  // namespace

double defaultThreshold(const std::vector<double>& dailyMaxima) {
  std::vector<double> sorted = sortedCopy(dailyMaxima);
  auto days = static_cast<double>(sorted.size());
  auto above = static_cast<std::size_t>(
      std::max(std::ceil(defaultShareAbove * days), double{analysis_limits::wellFittedMaxima}));
  return leaving(sorted, std::min(above, sorted.size() / 2));
}

double thresholdAtQuantile(const std::vector<double>& dailyMaxima, double q) {
  return percentile(dailyMaxima, q);
}

std::vector<ThresholdPoint> thresholdDiagnostics(const std::vector<double>& dailyMaxima,
                                                 int count) {
  std::vector<double> sorted = sortedCopy(dailyMaxima);
  auto days = static_cast<double>(sorted.size());
  double most = std::floor((1.0 - lowestDiagnosedQuantile) * days);
  double fewest = fewestDiagnosedExcesses;
  std::vector<ThresholdPoint> points;
  if (most <= fewest || count < 2) {
    return points;
  }
  for (int i = 0; i < count; ++i) {
    double share = static_cast<double>(i) / (count - 1);
    auto above = static_cast<std::size_t>(std::lround(most * std::pow(fewest / most, share)));
    ThresholdPoint point;
    point.threshold = leaving(sorted, above);
    double sum = 0.0;
    double squares = 0.0;
    for (auto x = std::upper_bound(sorted.begin(), sorted.end(), point.threshold);
         x != sorted.end(); ++x) {
      ++point.excesses;
      sum += *x - point.threshold;
      squares += (*x - point.threshold) * (*x - point.threshold);
    }
    if (point.excesses < 2) {
      continue;
    }
    auto n = static_cast<double>(point.excesses);
    point.meanExcess = sum / n;
    double variance = (squares - n * point.meanExcess * point.meanExcess) / (n - 1.0);
    point.meanExcessHalfWidth = 1.96 * std::sqrt(std::max(variance, 0.0) / n);
    ExtremeValueFit fit;
    std::string error;
    point.shapeFitted = fitExcesses(dailyMaxima, point.threshold, &fit, &error);
    point.shape = fit.shape;
    point.shapeError = fit.shapeError;
    points.push_back(point);
  }
  return points;
}
