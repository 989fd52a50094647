// What an extreme-value analysis accepts and assumes, for velmora-extremes and for the
// campaigns that plan its work.
#pragma once

#include <array>

namespace analysis_limits {

constexpr int minMaxima = 5;          // block maxima a fit needs
constexpr int wellFittedMaxima = 50;  // fewer make a fit that is warned about
constexpr int plannedBlocks = 100;    // the blocks a campaign's default block length leaves
constexpr double farBeyondData =
    1.5;  // a level this many times the largest maximum is warned about
constexpr double maxReturnYears = 1000000.0;  // return periods are above 1 year and up to this
constexpr int maxBlockDays = 100000;
constexpr std::array<double, 3> defaultReturnYears = {75.0, 100.0, 1000.0};
constexpr int defaultResamples = 200;  // of a parametric bootstrap
constexpr int maxResamples = 100000;
constexpr unsigned long long defaultSeed = 1;  // of the bootstraps
constexpr double passingPValue = 0.05;  // a model whose goodness-of-fit p-value is below fails

}  // namespace analysis_limits
