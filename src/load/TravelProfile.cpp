#include "load/TravelProfile.h"

#include <algorithm>

namespace {

using Polynomial = std::array<double, 4>;

constexpr double binomial[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};

// p(shift + w) as a polynomial in w.
Polynomial shifted(const Polynomial& p, double shift) {
  Polynomial result{};
  for (int j = 0; j < 4; ++j) {
    double power = 1.0;  // shift^(j - i), built from i = j down
    for (int i = j; i >= 0; --i) {
      result[static_cast<std::size_t>(i)] +=
          p[static_cast<std::size_t>(j)] * binomial[j][i] * power;
      power *= shift;
    }
  }
  return result;
}

// p(length - w) as a polynomial in w: the piece read from its end backwards.
Polynomial reversed(const Polynomial& p, double length) {
  Polynomial result = shifted(p, length);
  result[1] = -result[1];
  result[3] = -result[3];
  return result;
}

struct TravelPiece {
  double start;         // m from the entry end
  double length;        // m
  Polynomial ordinate;  // in the distance travelled past its start
};

std::vector<TravelPiece> travelPieces(const InfluenceLine& line, int direction) {
  std::vector<TravelPiece> pieces;
  const auto& list = line.pieceList();
  if (direction == 1) {
    for (const InfluencePiece& piece : list) {
      pieces.push_back({piece.start, piece.end - piece.start, piece.coefficients});
    }
    return pieces;
  }
  for (auto piece = list.rbegin(); piece != list.rend(); ++piece) {
    double length = piece->end - piece->start;
    pieces.push_back({line.length() - piece->end, length, reversed(piece->coefficients, length)});
  }
  return pieces;
}

// One line's breaks: their distances (dm) and changes, in travel order.
struct LineBreaks {
  std::vector<double> distances;
  std::vector<Polynomial> changes;
  int degree = 0;
};

LineBreaks breaksOf(const InfluenceLine& line, int direction) {
  LineBreaks result;
  auto addBreak = [&result](double distanceDm, const Polynomial& after, const Polynomial& left) {
    Polynomial change{};
    for (std::size_t j = 0; j < 4; ++j) {
      change[j] = after[j] - left[j];
      if (after[j] != 0.0 && static_cast<int>(j) > result.degree) {
        result.degree = static_cast<int>(j);
      }
    }
    result.distances.push_back(distanceDm);
    result.changes.push_back(change);
  };
  Polynomial before{};  // the ordinate off the bridge, before the entry
  double beforeLength = 0.0;
  for (const TravelPiece& piece : travelPieces(line, direction)) {
    addBreak(piece.start * 10.0, piece.ordinate, shifted(before, beforeLength));
    before = piece.ordinate;
    beforeLength = piece.length;
  }
  addBreak(line.length() * 10.0, Polynomial{}, shifted(before, beforeLength));
  return result;
}

}  // namespace

TravelProfile::TravelProfile(const std::vector<InfluenceLine>& lines, int direction)
    : lineCount(lines.size()) {
  std::vector<LineBreaks> ofLines;
  for (const InfluenceLine& line : lines) {
    ofLines.push_back(breaksOf(line, direction));
    distances.insert(distances.end(), ofLines.back().distances.begin(),
                     ofLines.back().distances.end());
    highestDegree = std::max(highestDegree, ofLines.back().degree);
  }
  std::sort(distances.begin(), distances.end());
  distances.erase(std::unique(distances.begin(), distances.end()), distances.end());
  changes.assign(distances.size() * lineCount, Change{});
  for (std::size_t line = 0; line < lineCount; ++line) {
    for (std::size_t i = 0; i < ofLines[line].distances.size(); ++i) {
      auto at = std::lower_bound(distances.begin(), distances.end(), ofLines[line].distances[i]);
      changes[static_cast<std::size_t>(at - distances.begin()) * lineCount + line] =
          ofLines[line].changes[i];
    }
  }
}
