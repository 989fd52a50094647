#include "extremes/LongRunLevels.h"

#include <gsl/gsl_cdf.h>

#include <algorithm>
#include <cmath>

namespace {

// The quantile p of sorted values by Weibull plotting positions. REQUIRES:
// 1 / (n + 1) <= p <= n / (n + 1).
double weibullQuantile(const std::vector<double>& sorted, double p) {
  double position = p * static_cast<double>(sorted.size() + 1);  // rank, from 1
  auto below = static_cast<std::size_t>(std::floor(position));
  double fraction = position - static_cast<double>(below);
  if (below >= sorted.size()) {
    return sorted.back();
  }
  return sorted[below - 1] + fraction * (sorted[below] - sorted[below - 1]);
}

// The ranks r < s with P(X(r) <= x_p <= X(s)) >= 0.95 for the quantile p of n values: the
// number of values below x_p is binomial (n, p), and X(r) <= x_p holds when at least r of
// them are, X(s) >= x_p when fewer than s are. Each tail is held to 0.025.
void orderStatisticInterval(int n, double p, LongRunLevel* level) {
  int lower = 0;  // the largest r with P(Binomial < r) <= 0.025
  for (int r = 1; r <= n && gsl_cdf_binomial_P(static_cast<unsigned>(r - 1), p,
                                               static_cast<unsigned>(n)) <= 0.025;
       ++r) {
    lower = r;
  }
  int upper = n + 1;  // the smallest s with P(Binomial >= s) <= 0.025
  for (int s = n; s >= 1 && gsl_cdf_binomial_Q(static_cast<unsigned>(s - 1), p,
                                               static_cast<unsigned>(n)) <= 0.025;
       --s) {
    upper = s;
  }
  level->intervalFound = lower >= 1 && upper <= n;
  level->lowerRank = lower;
  level->upperRank = upper;
}

}  // namespace

std::vector<LongRunLevel> longRunLevels(std::vector<double> annualMaxima,
                                        const std::vector<double>& returnYears) {
  std::sort(annualMaxima.begin(), annualMaxima.end());
  auto n = static_cast<int>(annualMaxima.size());
  std::vector<LongRunLevel> levels;
  for (double years : returnYears) {
    LongRunLevel level;
    level.years = years;
    double p = 1.0 - 1.0 / years;
    level.read = n > 0 && years <= static_cast<double>(n) && p * (n + 1) >= 1.0;
    if (level.read) {
      level.level = weibullQuantile(annualMaxima, p);
      orderStatisticInterval(n, p, &level);
      if (level.intervalFound) {
        level.lower = annualMaxima[static_cast<std::size_t>(level.lowerRank - 1)];
        level.upper = annualMaxima[static_cast<std::size_t>(level.upperRank - 1)];
      }
    }
    levels.push_back(level);
  }
  return levels;
}
