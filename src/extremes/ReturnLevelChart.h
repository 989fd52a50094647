// The return-level chart of the analyses, as SVG: for each effect a panel on Gumbel axes
// with every model's curve and 95 % band, the block maxima at their plotting positions and
// the return periods asked for; below it, when a threshold was fitted, the threshold
// diagnostics: the mean residual life and the fitted shape against the threshold.
#pragma once

#include <ostream>
#include <vector>

#include "extremes/EffectAnalysis.h"

void writeChart(std::ostream& out, const std::vector<EffectAnalysis>& analyses,
                const AnalysisSettings& settings);
