// An influence line as a vehicle travelling in one direction meets it: the breaks, the
// distances from the vehicle's entry end at which an axle moves onto the next piece (the
// entry, every piece's start, the exit), and what the axle's ordinate changes by there,
// as a polynomial in the distance travelled past the break.
#pragma once

#include <array>
#include <vector>

#include "load/InfluenceLine.h"

struct TravelBreak {
  double distanceDm = 0.0;  // from the entry end, in dm, like the axle spacings
  // The change of the ordinate, c[0] + c[1] w + c[2] w^2 + c[3] w^3, at w m past the break.
  std::array<double, 4> change{};
};

class TravelProfile {
 public:
  // Direction 1 enters at x = 0 and travels towards the line's length; direction 2 enters
  // at the length and travels towards 0.
  TravelProfile(const InfluenceLine& line, int direction);

  const std::vector<TravelBreak>& breaks() const { return breakList; }
  // The highest degree of any piece: 1 for straight lines.
  int degree() const { return highestDegree; }

 private:
  std::vector<TravelBreak> breakList;
  int highestDegree = 0;
};
