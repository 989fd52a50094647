// A one-page chart of a stream as SVG: the hourly flow profile per lane, gross-weight
// histograms per truck class and speed histograms per direction; with a site, what its
// tables expect is drawn over them.
#pragma once

#include <string>

#include "stats/SiteExpectation.h"
#include "stats/StreamSummary.h"

// The chart of the stream read from `source`; site may be null.
std::string chartSvg(const std::string& source, const StreamSummary& summary,
                     const SiteExpectation* site);
