// The fatigue chart of a campaign, as SVG: for each effect a panel of the cycles whose range
// is at least r against r, both on log axes, in the effect's unit below and, with a stress
// per unit, in MPa above, with the knees of each detail category's S-N curve (delta_c,
// delta_d and the cut-off delta_l, after the partial factors) marked.
#pragma once

#include <ostream>
#include <vector>

#include "campaign/FatigueSummary.h"

void writeFatigueChart(std::ostream& out,
                       const std::vector<fatigue_summary::EffectFatigue>& effects, int years);
