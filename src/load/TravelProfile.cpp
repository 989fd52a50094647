#include "load/TravelProfile.h"

namespace {

using Polynomial = std::array<double, 4>;

constexpr double binomial[4][4] = {{1, 0, 0, 0}, {1, 1, 0, 0}, {1, 2, 1, 0}, {1, 3, 3, 1}};

// p(shift + w) as a polynomial in w.
Polynomial shifted(const Polynomial& p, double shift) {
  Polynomial result{};
  for (int j = 0; j < 4; ++j) {
    double power = 1.0;  // shift^(j - i), built from i = j down
    for (int i = j; i >= 0; --i) {
      result[static_cast<std::size_t>(i)] += p[static_cast<std::size_t>(j)] * binomial[j][i] * power;
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
  double start;   // m from the entry end
  double length;  // m
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

}  // namespace

TravelProfile::TravelProfile(const InfluenceLine& line, int direction) {
  std::vector<TravelPiece> pieces = travelPieces(line, direction);
  Polynomial before{};  // the ordinate off the bridge, before the entry
  double beforeLength = 0.0;
  for (const TravelPiece& piece : pieces) {
    Polynomial left = shifted(before, beforeLength);
    TravelBreak entry{piece.start * 10.0, {}};
    for (std::size_t j = 0; j < 4; ++j) {
      entry.change[j] = piece.ordinate[j] - left[j];
      if (piece.ordinate[j] != 0.0 && static_cast<int>(j) > highestDegree) {
        highestDegree = static_cast<int>(j);
      }
    }
    breakList.push_back(entry);
    before = piece.ordinate;
    beforeLength = piece.length;
  }
  Polynomial left = shifted(before, beforeLength);
  TravelBreak exit{line.length() * 10.0, {}};
  for (std::size_t j = 0; j < 4; ++j) {
    exit.change[j] = -left[j];
  }
  breakList.push_back(exit);
}
