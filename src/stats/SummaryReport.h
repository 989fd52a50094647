// The plain-text summary of a stream, and, given a site, the stream set beside what the
// site's tables expect, with "*" marking differences larger than sampling noise.
#pragma once

#include <string>
#include <vector>

#include "stats/SiteExpectation.h"
#include "stats/StreamSummary.h"

// The summary of the stream read from `source`; site may be null.
std::string summaryText(const std::string& source, const StreamSummary& summary,
                        const SiteExpectation* site);

// The truck classes (by axles) a summary shows: 2 to 5 always, and each of 6 to 9 that the
// stream holds or the site's heavy-truck table gives. site may be null.
std::vector<int> shownTruckClasses(const StreamSummary& summary, const SiteExpectation* site);

// True when `observed` events differ from `expected` by more than three standard
// deviations of a count of that size (Poisson, or binomial out of trials when given).
bool beyondNoise(double observed, double expected, double trials = 0.0);

// The largest gap between the generated gross weights of a class (whole values, as the
// records show them) and the distribution the site expects, over both directions; and the
// gap above which the difference is larger than sampling noise (1 % level).
struct DistributionGap {
  double distance = 0.0;
  double limit = 0.0;
  long long trucks = 0;
};
DistributionGap grossWeightGap(const StreamSummary& summary, const SiteExpectation& site,
                               int axles);
