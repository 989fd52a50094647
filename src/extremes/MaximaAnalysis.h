// The analysis of every effect of a set of runs' daily maxima (and event maxima), as
// velmora-extremes makes it and the in-process tools ask for it.
#pragma once

#include <string>
#include <vector>

#include "extremes/EffectAnalysis.h"
#include "extremes/EventMaximaFile.h"
#include "extremes/MaximaFile.h"

// Joins the event maxima to the daily maxima read (maximaGiven), or, without daily maxima,
// makes them from the events. False, with *error one line, for events of an effect the
// maxima do not hold, of other days than the maxima's, or in another unit.
bool joinEventMaxima(bool maximaGiven, std::vector<EffectMaxima>* effects,
                     const std::vector<EffectEvents>& events, std::string* error);

// Fits every effect in order into *analyses. False, with *error one line, for a threshold
// that names an effect the maxima do not hold, or an effect that cannot be fitted.
bool analyseEffects(const std::vector<EffectMaxima>& effects,
                    const std::vector<EffectEvents>& events, const AnalysisSettings& settings,
                    std::vector<EffectAnalysis>* analyses, std::string* error);

// The analyses as the CSV table: the header and every analysis's rows.
void writeCsvTable(std::ostream& out, const std::vector<EffectAnalysis>& analyses);
