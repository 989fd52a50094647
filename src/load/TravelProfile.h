// Influence lines of one length as a vehicle travelling in one direction meets them: the
// breaks, the distances from the vehicle's entry end at which an axle moves onto the next
// piece of some line (the entry, every piece's start, the exit), and what each line's
// ordinate changes by there, as a polynomial in the distance travelled past the break.
#pragma once

#include <array>
#include <vector>

#include "load/InfluenceLine.h"

class TravelProfile {
 public:
  using Change = std::array<double, 4>;  // c[0] + c[1] w + c[2] w^2 + c[3] w^3, w in m

  // Direction 1 enters at x = 0 and travels towards the lines' length; direction 2 enters
  // at the length and travels towards 0. REQUIRES: the lines have one length.
  TravelProfile(const std::vector<InfluenceLine>& lines, int direction);

  int breakCount() const { return static_cast<int>(distances.size()); }
  // The break's distance from the entry end, in dm like the axle spacings.
  double distanceDm(int breakIndex) const {
    return distances[static_cast<std::size_t>(breakIndex)];
  }
  // The change of line `line`'s ordinate at the break (0 for a line without a break there);
  // the changes of the following lines follow it.
  const Change& change(int breakIndex, int line) const {
    return changes[static_cast<std::size_t>(breakIndex) * lineCount +
                   static_cast<std::size_t>(line)];
  }
  // The highest degree of any piece: 1 for straight lines.
  int degree() const { return highestDegree; }

 private:
  std::size_t lineCount;
  std::vector<double> distances;  // rising
  std::vector<Change> changes;    // by break, then by line
  int highestDegree = 0;
};
