// The composite model of daily maxima by loading event: a day's greatest value is the
// greatest of its classes' values, the class of k trucks on the bridge holding the greatest
// value among the moments with k trucks on it. Each class gets a GEV fitted to the days that
// have a value; a class with too few such days is merged into the class below it. The day
// distribution is then
//   F(x) = prod_k [q_k + (1 - q_k) G_k(x)],
// q_k the share of days without a value in class k, and the T-year level solves
// F(x)^(days per year) = 1 - 1/T.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extremes/EventMaximaFile.h"
#include "extremes/ExtremeValueFit.h"

struct EventClass {
  int fewestTrucks = 0;
  int mostTrucks = 0;
  bool orMore = false;         // the top class: mostTrucks or more
  std::vector<double> values;  // by day; NaN for a day without a value
  std::size_t daysWithValue = 0;
  double emptyShare = 0.0;  // q_k
  ExtremeValueFit fit;      // the GEV of the days with a value
  bool constant = false;    // every value is the same (as 0 with no car on a road of
                            // trucks): a step at it, fitted with no GEV

  // "2 trucks", "2 to 3 trucks", "4 or more trucks".
  std::string label() const;
};

struct CompositeModel {
  std::vector<EventClass> classes;  // by trucks, fewest first
  std::vector<std::string> merges;  // a line for each class merged into another
  double dayAndersonDarling = 0.0;  // A^2 of the daily maxima against F
};

// Fits the composite model to an effect's event maxima. False, with *error saying why, when a
// class cannot be fitted.
bool fitComposite(const EffectEvents& events, CompositeModel* model, std::string* error);

// F(x), the day's non-exceedance probability.
double dayCumulative(const CompositeModel& model, double x);

// The T-year level: the x with F(x)^daysPerYear = 1 - 1/years; NaN when no x solves it,
// as when the days without a value in any class are so many that F never falls so low
// (return periods near one year).
double compositeLevel(const CompositeModel& model, double years, double daysPerYear);

// What a parametric bootstrap of the model gives: each resample draws every class's values
// from its fitted GEV on the days that had one, fits the classes again, and takes their
// levels and the A^2 of its daily maxima against its own F.
struct CompositeResampling {
  std::vector<double> lower;  // by return period: the 2.5 % and 97.5 % points of the
  std::vector<double> upper;  // resampled levels
  int resamples = 0;          // that could be fitted
  double pValue = 1.0;        // share of resamples with A^2 at least the data's
};

CompositeResampling resampleComposite(const CompositeModel& model,
                                      const std::vector<double>& returnYears, double daysPerYear,
                                      int resamples, std::uint64_t seed);
