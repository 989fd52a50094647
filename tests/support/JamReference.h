// The share of time a direction is jammed, written in the test from the model of the jams:
// episodes start at the hourly rates perDay * flow / daily flow and last exponential times
// of mean `minutes`, and a jam lasts while any episode does. The episodes under way at time
// t are Poisson with mean mu(t), which decays at the episodes' end rate and grows at their
// start rate, so the share is the day's mean of 1 - exp(-mu); integrated exactly over steps
// of a second, after five days to settle.
#pragma once

#include <vector>

double expectedJammedShare(const std::vector<double>& hourlyFlows, double perDay, double minutes);
